#!/usr/bin/env python3
"""Makes the portable zip and the installer's lists from the product folder.

    release.py PRODUCT_DIR STAGE_DIR ZIP NSH

The product folder's files are mirrored into STAGE_DIR with the time of the
last commit, so the zip and the installer carry that time whenever they are
built. The zip holds the files in name order with fixed attributes: the same
commit gives the same bytes. NSH receives the file names and the language
names (each NAME.lng offers the part of NAME before its first dot) as NSIS
macros that run an action of the caller's on each. Outputs that would not
change are left untouched, so what depends on them is not rebuilt.
"""
import io
import os
import subprocess
import sys
import time
import zipfile


def commit_time(source_dir):
    try:
        out = subprocess.run(["git", "-C", source_dir, "log", "-1", "--format=%ct"],
                             check=True, capture_output=True, text=True).stdout.strip()
        if out:
            return int(out)
    except (OSError, subprocess.CalledProcessError):
        pass
    if "SOURCE_DATE_EPOCH" in os.environ:
        return int(os.environ["SOURCE_DATE_EPOCH"])
    sys.exit("release.py: no commit to take the file times from (set SOURCE_DATE_EPOCH)")


def product_files(product_dir):
    names = sorted(os.listdir(product_dir))
    for name in names:
        if not os.path.isfile(os.path.join(product_dir, name)):
            sys.exit(f"release.py: {name} in the product folder is not a file")
    return names


def read(path):
    with open(path, "rb") as f:
        return f.read()


def write_if_changed(path, data):
    if os.path.exists(path) and read(path) == data:
        return
    with open(path + ".tmp", "wb") as f:
        f.write(data)
    os.replace(path + ".tmp", path)


def stage(product_dir, stage_dir, names, when):
    os.makedirs(stage_dir, exist_ok=True)
    for old in set(os.listdir(stage_dir)) - set(names):
        os.remove(os.path.join(stage_dir, old))
    for name in names:
        target = os.path.join(stage_dir, name)
        write_if_changed(target, read(os.path.join(product_dir, name)))
        os.utime(target, (when, when))


def zip_bytes(stage_dir, names, when):
    # Zip times are local times without a zone: UTC keeps them the same everywhere.
    stamp = time.gmtime(when)[:6]
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w") as z:
        for name in names:
            info = zipfile.ZipInfo(name, stamp)
            info.create_system = 0          # MS-DOS attributes, as Windows writes them
            info.external_attr = 0x20       # FILE_ATTRIBUTE_ARCHIVE
            info.compress_type = zipfile.ZIP_DEFLATED
            z.writestr(info, read(os.path.join(stage_dir, name)), compresslevel=9)
    return buffer.getvalue()


def nsh_text(names):
    languages = [name.split(".")[0] for name in names if name.lower().endswith(".lng")]
    lines = ["; Written by the build from the product folder.", "!macro ProductFiles Action"]
    lines += [f'  !insertmacro ${{Action}} "{name}"' for name in names]
    lines += ["!macroend", "!macro ProductLanguages Action"]
    lines += [f'  !insertmacro ${{Action}} "{name}"' for name in languages]
    lines += ["!macroend", ""]
    return "\n".join(lines).encode()


def main():
    product_dir, stage_dir, zip_path, nsh_path = sys.argv[1:5]
    when = commit_time(os.path.dirname(os.path.abspath(__file__)))
    names = product_files(product_dir)
    stage(product_dir, stage_dir, names, when)
    write_if_changed(zip_path, zip_bytes(stage_dir, names, when))
    write_if_changed(nsh_path, nsh_text(names))


if __name__ == "__main__":
    main()
