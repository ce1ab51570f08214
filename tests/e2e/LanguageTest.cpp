#include "Automation.h"
#include "support/Files.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace automation;
using testsupport::TempDir;

namespace {
const char* const Settings = "Software\\Quenmoor";
// Button texts of Russian.lng in its code page (Windows-1251).
const char* const RussianCreate = "\xD1\xEE\xE7\xE4\xE0\xF2\xFC";
const char* const RussianExit = "\xC2\xFB\xF5\xEE\xE4";
}  // namespace

TEST(EndToEnd, StoredRussianShowsTheMainWindowInRussian) {
    ScopedRegValue language(HKEY_LOCAL_MACHINE, Settings, "Language", "Russian");
    TempDir dir;
    Program program(dir.Path());
    ASSERT_TRUE(program.Started());
    HWND main = program.WaitForWindow("Quenmoor");
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return FindDescendant(main, "Button", RussianCreate) != nullptr; }));
    EXPECT_EQ(FindDescendant(main, "Button", "Create"), nullptr);
    EXPECT_EQ(FindDescendant(main, "Button", "Options"), nullptr);
    HWND exit = FindDescendant(main, "Button", RussianExit);
    ASSERT_NE(exit, nullptr);
    PressButton(exit);
    DWORD code = 99;
    ASSERT_TRUE(program.WaitForExit(15000, &code));
    EXPECT_EQ(code, 0u);
}

TEST(EndToEnd, AStoredLanguageWithoutFileAsksAndNoEndsTheProgram) {
    ScopedRegValue language(HKEY_LOCAL_MACHINE, Settings, "Language", "Klingon");
    TempDir dir;
    Program program(dir.Path());
    ASSERT_TRUE(program.Started());
    HWND box = program.WaitForWindow("Error");
    ASSERT_NE(box, nullptr);
    std::vector<std::string> texts = StaticTexts(box);
    EXPECT_NE(std::find(texts.begin(), texts.end(),
                        "Klingon messages not found. Do you want to run the program in US English?"),
              texts.end());
    EXPECT_EQ(program.VisibleWindows(), std::vector<HWND>{box});  // no window shown yet
    ASSERT_NE(FindDescendant(box, "Button", "&Yes"), nullptr);
    HWND no = FindDescendant(box, "Button", "&No");
    ASSERT_NE(no, nullptr);
    PressButton(no);
    DWORD code = 99;
    ASSERT_TRUE(program.WaitForExit(15000, &code));
    EXPECT_EQ(code, 0u);
}
