#include "Automation.h"
#include "support/Files.h"

#include <gtest/gtest.h>

using namespace automation;
using testsupport::FileExists;
using testsupport::TempDir;

namespace {
std::string VersionString(const std::vector<char>& info, const char* name) {
    char* value = nullptr;
    UINT len = 0;
    std::string key = std::string("\\StringFileInfo\\040904E4\\") + name;
    if (!VerQueryValueA(info.data(), key.c_str(), reinterpret_cast<void**>(&value), &len) || !value) return "";
    return value;
}
}  // namespace

TEST(Product, FolderHoldsWhatAUserReceives) {
    for (const char* name : {"ombrel.exe", "Ombrel.dll", "readme.txt"})
        EXPECT_TRUE(FileExists(ProductDir() + "\\" + name)) << name;
}

TEST(Product, ProgramCarriesItsVersionRecord) {
    std::string exe = ProductDir() + "\\ombrel.exe";
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(exe.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(exe.c_str(), 0, size, info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &len));
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(7, 1));
    EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(317, 1));
    EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(7, 1));
    EXPECT_EQ(fixed->dwProductVersionLS, MAKELONG(317, 1));
    EXPECT_EQ(VersionString(info, "ProductVersion"), "1.07");
    EXPECT_EQ(VersionString(info, "FileDescription"), "Quenmoor 1.07 Runtime");
    EXPECT_EQ(VersionString(info, "InternalName"), "ombrel.exe");
    EXPECT_EQ(VersionString(info, "OriginalFilename"), "ombrel.exe");
}

TEST(Product, ProgramDoesNotStartWithoutItsLinkLibrary) {
    TempDir dir;
    std::string exe = dir / "ombrel.exe";
    ASSERT_TRUE(CopyFileA((ProductDir() + "\\ombrel.exe").c_str(), exe.c_str(), FALSE));
    std::string cmd = "\"" + exe + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    BOOL started = CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.Path().c_str(), &si, &pi);
    DWORD startError = GetLastError();
    SetErrorMode(oldMode);
    if (!started) {  // refused at once: the loader found no Ombrel.dll
        EXPECT_NE(startError, 0u);
        return;
    }
    ASSERT_EQ(WaitForSingleObject(pi.hProcess, 15000), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    EXPECT_NE(code, 0u);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}
