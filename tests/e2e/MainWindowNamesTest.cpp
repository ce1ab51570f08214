// A name beyond the system's code page, through the real program: listed,
// selected and linked from the main window, read back from the disk.
#include "Automation.h"
#include "support/Files.h"

#include <gtest/gtest.h>

using namespace automation;
using testsupport::SharedLinks;
using testsupport::TempDir;

namespace {

void TypeWide(HWND edit, const std::wstring& text) {
    SendMessageW(edit, EM_SETSEL, 0, -1);
    for (wchar_t c : text) PostMessageW(edit, WM_CHAR, c, 1);
}

}  // namespace

TEST(EndToEnd, ANameOutsideTheCodePageIsListedSelectedAndLinked) {
    ASSERT_NE(GetACP(), 65001u) << "the names must lie outside this test's own code page";
    // CJK, Cyrillic, Greek, an emoji outside the basic plane, a combining accent.
    const std::wstring name = L"\u65E5\u672C-\u0436-\u03A9-\U0001F600-e\u0301.txt", link = L"\u0441\u0441\u044B\u043B\u043A\u0430 " + name;
    TempDir dir;
    const std::wstring folder = Wide(dir.Path()) + L"\\";
    HANDLE h = CreateFileW((folder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    Program program(dir.Path());
    HWND main = program.WaitForWindow("Quenmoor");
    ASSERT_NE(main, nullptr);
    HWND files = ChildAt(main, 24 + 20, 168 + 20), field = ChildAt(main, 248 + 20, 280 + 10);
    ASSERT_EQ(SendMessageW(files, LB_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(ItemsOf(files), std::vector<std::wstring>{name});
    Click(files, 20, 5);
    ASSERT_TRUE(WaitUntil([&] { return WideTextOf(field) == name; }));
    TypeWide(field, link);
    ASSERT_TRUE(WaitUntil([&] { return WideTextOf(field) == link; }));
    PressButton(FindDescendant(main, "Button", "Create"));
    HWND box = program.WaitForWindow("Information");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(TextsOf(box, "Static"), std::vector<std::string>{"Hard Link Created"});
    Answer(box, "OK");
    EXPECT_EQ(SharedLinks(folder + name, folder + link), 2u);
    PressButton(FindDescendant(main, "Button", "Exit"));
    EXPECT_EQ(program.ExitCode(), 0u);
}
