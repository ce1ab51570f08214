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
    auto text = [&](const char* name) {
        char* value = nullptr;
        std::string key = std::string("\\StringFileInfo\\040904E4\\") + name;
        return VerQueryValueA(info.data(), key.c_str(), reinterpret_cast<void**>(&value), &len) && value
                   ? std::string(value) : std::string();
    };
    EXPECT_EQ(text("ProductVersion"), "1.07");
    EXPECT_EQ(text("FileDescription"), "Quenmoor 1.07 Runtime");
    EXPECT_EQ(text("InternalName"), "ombrel.exe");
    EXPECT_EQ(text("OriginalFilename"), "ombrel.exe");

    // Without its link library beside it the program does not start.
    TempDir dir;
    ASSERT_TRUE(CopyFileA(exe.c_str(), (dir / "ombrel.exe").c_str(), FALSE));
    UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    Program alone(dir.Path(), dir / "ombrel.exe");
    SetErrorMode(oldMode);
    DWORD code = 0;
    if (alone.Started()) {
        ASSERT_TRUE(alone.WaitForExit(15000, &code));
        EXPECT_NE(code, 0u);
    }
    EXPECT_TRUE(alone.VisibleWindows().empty());
}
