#include "Automation.h"
#include "support/Files.h"

#include <gtest/gtest.h>

using namespace automation;
using testsupport::FileExists;
using testsupport::TempDir;

TEST(Product, FolderProgramVersionRecordAndLinkLibrary) {
    for (const char* name : {"ombrel.exe", "Ombrel.dll", "readme.txt", "English.lng"})
        EXPECT_TRUE(FileExists(ProductDir() + "\\" + name)) << name;

    std::string exe = ProductDir() + "\\ombrel.exe";
    DWORD ignored = 0;
    std::vector<char> info(GetFileVersionInfoSizeA(exe.c_str(), &ignored));
    ASSERT_FALSE(info.empty());
    ASSERT_TRUE(GetFileVersionInfoA(exe.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &len));
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(7, 1));
    EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(317, 1));
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
    for (auto [name, want] : {std::pair{"ProductVersion", "1.07"}, {"FileDescription", "Quenmoor 1.07 Runtime"},
                              {"InternalName", "ombrel.exe"}, {"OriginalFilename", "ombrel.exe"}}) {
        char* value = nullptr;
        std::string key = std::string("\\StringFileInfo\\040904E4\\") + name;
        ASSERT_TRUE(VerQueryValueA(info.data(), key.c_str(), reinterpret_cast<void**>(&value), &len) && value) << name;
        EXPECT_STREQ(value, want);
    }

    // Without its link library beside it the program does not start.
    TempDir dir;
    ASSERT_TRUE(CopyFileA(exe.c_str(), (dir / "ombrel.exe").c_str(), FALSE));
    UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    Program alone(dir.Path(), dir / "ombrel.exe");
    SetErrorMode(oldMode);
    EXPECT_TRUE(!alone.Started() || (alone.ExitCode() != 0u && alone.ExitCode() != STILL_ACTIVE));
    EXPECT_TRUE(alone.VisibleWindows().empty());
}
