// The 64-bit installer as an administrator runs it, silently, in a prefix of
// its own: install, start the program, install again over it, remove it.
#include "e2e/Automation.h"
#include "settings/ShellIntegration.h"
#include "support/Files.h"
#include "support/RawRegistry.h"

#include <gtest/gtest.h>

#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <filesystem>

using namespace automation;
using namespace testsupport;
using Names = std::vector<std::string>;

namespace {

const std::string UninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quenmoor";
const std::string SettingsKey = "Software\\Quenmoor";

// Runs a program to its end; its exit code.
DWORD RunToEnd(const std::string& exe, const std::string& arguments) {
    return Program(ProductDir(), exe, arguments).ExitCode(120000);
}

// The files of a folder, sorted, with their total size in bytes.
Names FilesIn(const std::string& dir, ULONGLONG* bytes = nullptr) {
    Names names;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(dir, ec)) {
        if (!e.is_regular_file()) continue;
        names.push_back(e.path().filename().string());
        if (bytes) *bytes += e.file_size();
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The installed folder holds the product folder's files, byte for byte, the
// uninstaller, and the files named besides.
void ExpectProductFilesIn(const std::string& dir, Names besides = {}) {
    Names expected = FilesIn(ProductDir());
    expected.push_back("uninstall.exe");
    expected.insert(expected.end(), besides.begin(), besides.end());
    std::sort(expected.begin(), expected.end());
    ASSERT_EQ(FilesIn(dir), expected);
    for (const std::string& name : FilesIn(ProductDir()))
        EXPECT_EQ(ReadFile(dir + "\\" + name), ReadFile(ProductDir() + "\\" + name)) << name;
}

std::string StartMenuFolder() {
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, CSIDL_COMMON_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, path);
    return std::string(path) + "\\Quenmoor";
}

std::string ShortcutTarget(const std::string& lnk) {
    char path[MAX_PATH] = {};
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        SUCCEEDED(file->Load(Wide(lnk).c_str(), STGM_READ)))
        link->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH);
    if (file) file->Release();
    if (link) link->Release();
    return path;
}

// Whether the system deletes the file when it starts next.
bool PendingDeletion(const std::string& path) {
    char data[65536] = {};
    DWORD size = sizeof data;
    RegGetValueA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager",
                 "PendingFileRenameOperations", RRF_RT_REG_MULTI_SZ, nullptr, data, &size);
    // Pairs of source ("\??\" and the path) and target; an empty target deletes the source.
    return std::string(data, size).find("\\??\\" + path + std::string(2, '\0')) != std::string::npos;
}

// The names of the values of a key, sorted.
Names ValueNames(const std::string& key) {
    Names names;
    HKEY h = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return names;
    char name[256];
    for (DWORD i = 0, size = sizeof name; RegEnumValueA(h, i, name, &size, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++i, size = sizeof name)
        names.push_back(name);
    RegCloseKey(h);
    std::sort(names.begin(), names.end());
    return names;
}

// Whether the uninstaller's copy of itself ("Un_A.exe") still runs.
bool UninstallerRuns() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 e{};
    e.dwSize = sizeof e;
    bool found = false;
    for (BOOL more = Process32First(snapshot, &e); more && !found; more = Process32Next(snapshot, &e))
        found = _strnicmp(e.szExeFile, "Un_", 3) == 0;
    CloseHandle(snapshot);
    return found;
}

// The uninstaller goes on in a copy of itself: the end is when its entry is
// gone and the copy has ended (a copy still running makes the next uninstall
// fail to start).
void Uninstall(const std::string& dir) {
    ASSERT_EQ(RunToEnd(dir + "\\uninstall.exe", "/S"), 0u);
    EXPECT_TRUE(WaitUntil([] { return !RawKeyExists(HKEY_LOCAL_MACHINE, UninstallKey) && !UninstallerRuns(); }, 60000));
}

}  // namespace

TEST(Installer, InstallsStartsReinstallsAndUninstallsSilently) {
    CoInitialize(nullptr);
    TempDir temp;
    const std::string dir = temp / "Quenmoor";
    ASSERT_EQ(RunToEnd(WinePath(QUENMOOR_SETUP), "/S /D=" + dir), 0u);

    ExpectProductFilesIn(dir);
    EXPECT_EQ(ShortcutTarget(StartMenuFolder() + "\\Quenmoor.lnk"), dir + "\\ombrel.exe");
    EXPECT_EQ(ShortcutTarget(StartMenuFolder() + "\\Quenmoor Read Me.lnk"), dir + "\\readme.txt");
    const std::pair<const char*, std::string> values[] = {
        {"DisplayName", "Quenmoor 1.07 (x64)"},
        {"DisplayIcon", dir + "\\ombrel.exe,0"},
        {"InstallLocation", dir},
        {"UninstallString", "\"" + dir + "\\uninstall.exe\""},
        {"QuietUninstallString", "\"" + dir + "\\uninstall.exe\" /S"}};
    for (const auto& [name, value] : values) EXPECT_EQ(RawValue(HKEY_LOCAL_MACHINE, UninstallKey, name), value);
    // Whole kilobytes, as Apps and Features shows them.
    ULONGLONG bytes = 0;
    FilesIn(dir, &bytes);
    DWORD size = 0, length = sizeof size;
    RegGetValueA(HKEY_LOCAL_MACHINE, UninstallKey.c_str(), "EstimatedSize", RRF_RT_REG_DWORD, nullptr, &size, &length);
    EXPECT_EQ(size, bytes / 1024);
    EXPECT_EQ(RawValue(HKEY_LOCAL_MACHINE, SettingsKey, "Language"), "English");
    EXPECT_TRUE(ShellIntegration::IsRegistered(dir + "\\"));
    EXPECT_EQ(RawValue(HKEY_CLASSES_ROOT, std::end(ShellIntegration::Entries)[-1].Key + 1, ""), dir + "\\tessivar.dll");

    {
        Program program(temp.Path(), dir + "\\ombrel.exe");
        HWND main = program.WaitForWindow("Quenmoor");
        ASSERT_NE(main, nullptr);
        PostMessageA(main, WM_CLOSE, 0, 0);
        EXPECT_EQ(program.ExitCode(), 0u);
    }

    // Over the earlier install, where it is: program files replaced, the
    // language the user chose since kept. A library held by a process, as
    // Explorer holds its extension, moves aside and goes at the next start.
    RawSetString(HKEY_LOCAL_MACHINE, SettingsKey, "Language", "Russian");
    WriteFile(dir + "\\readme.txt", "changed");
    HMODULE held = LoadLibraryA((dir + "\\Ombrel.dll").c_str());
    ASSERT_NE(held, nullptr);
    ASSERT_EQ(RunToEnd(WinePath(QUENMOOR_SETUP), "/S"), 0u);
    ExpectProductFilesIn(dir, {"Ombrel.dll.old"});
    EXPECT_TRUE(PendingDeletion(dir + "\\Ombrel.dll.old"));
    EXPECT_EQ(RawValue(HKEY_LOCAL_MACHINE, SettingsKey, "Language"), "Russian");
    FreeLibrary(held);

    // Removal takes everything of ours and nothing else; held libraries, as
    // Explorer holds its extension, go at the next start.
    WriteFile(dir + "\\notes.txt", "the user's");
    HMODULE program = LoadLibraryA((dir + "\\Ombrel.dll").c_str());
    HMODULE extension = LoadLibraryA((dir + "\\tessivar.dll").c_str());
    ASSERT_TRUE(program && extension);
    Uninstall(dir);
    EXPECT_EQ(FilesIn(dir), (Names{"Ombrel.dll", "notes.txt", "tessivar.dll"}));
    EXPECT_TRUE(PendingDeletion(dir + "\\Ombrel.dll"));
    EXPECT_TRUE(PendingDeletion(dir + "\\tessivar.dll"));
    FreeLibrary(program);
    FreeLibrary(extension);
    EXPECT_FALSE(DirExists(StartMenuFolder()));
    EXPECT_FALSE(RawKeyExists(HKEY_LOCAL_MACHINE, SettingsKey));
    for (const auto& entry : ShellIntegration::Entries) EXPECT_FALSE(RawKeyExists(HKEY_CLASSES_ROOT, entry.Key + 1));
}

// Another copy's integration and the user's choice survive installing and
// removing; an install into another folder takes the earlier one away, and
// what an earlier version put into the folder goes with the next install.
TEST(Installer, KeepsOtherCopiesAndChoicesAndLeavesNothingBehind) {
    TempDir temp;
    const std::string portable = temp.MakeDir("Portable") + "\\", a = temp / "A", b = temp / "B";
    const std::string server = "CLSID\\" + std::string(ShellIntegration::ClassId) + "\\InProcServer32";
    ASSERT_TRUE(CopyFileA((ProductDir() + "\\tessivar.dll").c_str(), (portable + "tessivar.dll").c_str(), TRUE));
    ShellIntegration::Register(portable);

    ASSERT_EQ(RunToEnd(WinePath(QUENMOOR_SETUP), "/S /D=" + a), 0u);
    EXPECT_EQ(RawValue(HKEY_CLASSES_ROOT, server, ""), portable + "tessivar.dll");
    Names shipped = FilesIn(ProductDir());
    EXPECT_EQ(ValueNames(UninstallKey + "\\Files"), shipped);
    Uninstall(a);
    EXPECT_EQ(RawValue(HKEY_CLASSES_ROOT, server, ""), portable + "tessivar.dll");

    // Nobody's integration is offered; switched off since, it stays off.
    ShellIntegration::Unregister(portable);
    ASSERT_EQ(RunToEnd(WinePath(QUENMOOR_SETUP), "/S /D=" + a), 0u);
    EXPECT_TRUE(ShellIntegration::IsRegistered(a + "\\"));
    ShellIntegration::Unregister(a + "\\");
    // A file an earlier version shipped and this one does not.
    WriteFile(a + "\\Old.lng", "[Translations]");
    RawSetString(HKEY_LOCAL_MACHINE, UninstallKey + "\\Files", "Old.lng", "");
    ASSERT_EQ(RunToEnd(WinePath(QUENMOOR_SETUP), "/S"), 0u);
    EXPECT_FALSE(RawKeyExists(HKEY_CLASSES_ROOT, server));
    EXPECT_FALSE(FileExists(a + "\\Old.lng"));
    EXPECT_EQ(ValueNames(UninstallKey + "\\Files"), shipped);

    // Into another folder: refused while the earlier one cannot be removed;
    // then it goes whole, and the choice moves along.
    ASSERT_TRUE(MoveFileA((a + "\\uninstall.exe").c_str(), (temp / "uninstall.exe").c_str()));
    EXPECT_EQ(RunToEnd(WinePath(QUENMOOR_SETUP), "/S /D=" + b), 2u);
    EXPECT_FALSE(DirExists(b));
    EXPECT_EQ(RawValue(HKEY_LOCAL_MACHINE, UninstallKey, "InstallLocation"), a);
    ASSERT_TRUE(MoveFileA((temp / "uninstall.exe").c_str(), (a + "\\uninstall.exe").c_str()));
    ShellIntegration::Register(a + "\\");
    RawSetString(HKEY_LOCAL_MACHINE, SettingsKey, "Language", "Russian");
    ASSERT_EQ(RunToEnd(WinePath(QUENMOOR_SETUP), "/S /D=" + b), 0u);
    EXPECT_FALSE(DirExists(a));
    ExpectProductFilesIn(b);
    EXPECT_EQ(RawValue(HKEY_LOCAL_MACHINE, UninstallKey, "InstallLocation"), b);
    EXPECT_TRUE(ShellIntegration::IsRegistered(b + "\\"));
    EXPECT_EQ(RawValue(HKEY_LOCAL_MACHINE, SettingsKey, "Language"), "Russian");
    Uninstall(b);
    EXPECT_FALSE(DirExists(b));
}
