#!/usr/bin/env python3
"""What tools/package wrote: zips, installers and sums, both architectures.

    release_test.py DIST X64_PRODUCT_DIR X86_PRODUCT_DIR
"""
import glob
import os
import subprocess
import sys
import tempfile
import unittest
import zipfile

DIST, PRODUCTS = None, {}


def artefact(pattern):
    found = glob.glob(os.path.join(DIST, pattern))
    assert len(found) == 1, f"{pattern} in {DIST}: {found}"
    return found[0]


def folder_files(folder):
    files = {}
    for root, _, names in os.walk(folder):
        for name in names:
            path = os.path.join(root, name)
            with open(path, "rb") as f:
                files[os.path.relpath(path, folder).replace(os.sep, "/")] = f.read()
    return files


def zip_files(path):
    with zipfile.ZipFile(path) as z:
        return {name: z.read(name) for name in z.namelist()}


def installer_files(path, into):
    """The files an NSIS installer carries, less its own plug-ins and the uninstaller it writes."""
    subprocess.run(["7z", "x", "-y", f"-o{into}", path], check=True, capture_output=True)
    files = folder_files(into)
    return {name: data for name, data in files.items()
            if not name.startswith("$PLUGINSDIR/") and name != "uninstall.exe"}


class Release(unittest.TestCase):
    def test_zips_hold_their_product_folder_in_name_order(self):
        for arch, product in PRODUCTS.items():
            with self.subTest(arch=arch):
                path = artefact(f"Quenmoor-*-{arch}.zip")
                expected = folder_files(product)
                with zipfile.ZipFile(path) as z:
                    self.assertEqual(z.namelist(), sorted(expected))
                self.assertEqual(zip_files(path), expected)

    def test_installers_hold_exactly_the_files_of_their_zip(self):
        for arch in PRODUCTS:
            with self.subTest(arch=arch), tempfile.TemporaryDirectory() as into:
                self.assertEqual(installer_files(artefact(f"Quenmoor-*-{arch}-setup.exe"), into),
                                 zip_files(artefact(f"Quenmoor-*-{arch}.zip")))

    def test_sums_cover_every_artefact_and_verify(self):
        with open(os.path.join(DIST, "SHA256SUMS")) as f:
            named = sorted(line.split()[1] for line in f)
        self.assertEqual(named, sorted(n for n in os.listdir(DIST) if n != "SHA256SUMS"))
        self.assertEqual(len(named), 4)
        subprocess.run(["sha256sum", "--quiet", "-c", "SHA256SUMS"], cwd=DIST, check=True)

    def test_x86_programs_are_32_bit_and_link_by_the_undecorated_name(self):
        with tempfile.TemporaryDirectory() as into:
            with zipfile.ZipFile(artefact("Quenmoor-*-x86.zip")) as z:
                z.extractall(into)
            programs = [os.path.join(into, n) for n in os.listdir(into) if n.lower().endswith((".exe", ".dll"))]
            programs.append(artefact("Quenmoor-*-x86-setup.exe"))
            self.assertGreaterEqual(len(programs), 3)
            for path in programs:
                kind = subprocess.run(["file", "-b", path], check=True, capture_output=True, text=True).stdout
                self.assertRegex(kind, r"^PE32 executable .*Intel 80386", path)

            def dump(name):
                return subprocess.run(["i686-w64-mingw32-objdump", "-p", os.path.join(into, name)],
                                      check=True, capture_output=True, text=True).stdout
            exports = dump("Ombrel.dll").split("[Ordinal/Name Pointer] Table")[1]
            self.assertRegex(exports, r"\]\s+CreateLink\n")
            imports = dump("ombrel.exe").split("DLL Name: Ombrel.dll")[1].split("DLL Name:")[0]
            self.assertRegex(imports, r"\d+\s+CreateLink\n")


if __name__ == "__main__":
    DIST = sys.argv[1]
    PRODUCTS = {"x64": sys.argv[2], "x86": sys.argv[3]}
    unittest.main(argv=sys.argv[:1], verbosity=2)
