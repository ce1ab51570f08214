#include "Automation.h"
#include "support/Files.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace automation;
using testsupport::TempDir;

namespace {
// Presses a button and gives the exit code of the program, 99 on time-out.
DWORD ExitCodeAfterPressing(Program& program, HWND button) {
    PressButton(button);
    DWORD code = 99;
    return program.WaitForExit(15000, &code) ? code : 99;
}
}  // namespace

TEST(EndToEnd, StoredRussianShowsTheMainWindowInRussian) {
    ScopedRegValue language(HKEY_LOCAL_MACHINE, "Software\\Quenmoor", "Language", "Russian");
    TempDir dir;
    Program program(dir.Path());
    HWND main = program.WaitForWindow("Quenmoor");
    ASSERT_NE(main, nullptr);
    // Button texts of Russian.lng in its code page (Windows-1251).
    ASSERT_TRUE(WaitUntil([&] { return FindDescendant(main, "Button", "\xD1\xEE\xE7\xE4\xE0\xF2\xFC") != nullptr; }));
    EXPECT_EQ(FindDescendant(main, "Button", "Create"), nullptr);
    HWND exit = FindDescendant(main, "Button", "\xC2\xFB\xF5\xEE\xE4");
    ASSERT_NE(exit, nullptr);
    EXPECT_EQ(ExitCodeAfterPressing(program, exit), 0u);
}

TEST(EndToEnd, AStoredLanguageWithoutFileAsksAndNoEndsTheProgram) {
    ScopedRegValue language(HKEY_LOCAL_MACHINE, "Software\\Quenmoor", "Language", "Klingon");
    TempDir dir;
    Program program(dir.Path());
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
    EXPECT_EQ(ExitCodeAfterPressing(program, no), 0u);
}
