// "Where else is this file?" through the real program: a file with five
// names, selected in the main window, and the hard-links window that lists
// them.
#include "Automation.h"
#include "support/Files.h"

#include <gtest/gtest.h>

using namespace automation;
using testsupport::TempDir;

namespace {

bool Made(const std::wstring& folder) { return CreateDirectoryW((L"\\\\?\\" + folder).c_str(), nullptr); }

}  // namespace

TEST(EndToEnd, LinksListsEveryNameOfTheSelectedFile) {
    TempDir dir;
    const std::wstring top = Wide(dir.Path());
    std::wstring deep = top + L"\\deep";
    ASSERT_TRUE(Made(top + L"\\a") && Made(top + L"\\b") && Made(deep));
    while (deep.size() < 280) ASSERT_TRUE(Made(deep += L"\\" + std::wstring(40, L'x')));
    const std::wstring cyrillic = top + L"\\\u0416\u0443\u0440\u043D\u0430\u043B";
    ASSERT_TRUE(Made(cyrillic) && Made(top + L"\\\u65E5\u672C"));
    std::vector<std::wstring> names = {top + L"\\a\\file.txt", top + L"\\b\\copy.txt",
                                       deep + L"\\" + std::wstring(30, L'y') + L".txt",
                                       cyrillic + L"\\\u0444\u0430\u0439\u043B.txt", top + L"\\\u65E5\u672C\\\u6587.txt"};
    ASSERT_GT(names[2].size(), 300u);
    testsupport::WriteFile(dir / "a\\file.txt", "five names");
    for (size_t i = 1; i < names.size(); ++i)
        ASSERT_TRUE(CreateHardLinkW((L"\\\\?\\" + names[i]).c_str(), names[0].c_str(), nullptr));
    // Held open without sharing, the folder cannot be read by the program;
    // its name sorts before the others, so the walk meets it.
    const std::wstring locked = top + L"\\0 locked";
    ASSERT_TRUE(Made(locked));
    HANDLE hold = CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(hold, INVALID_HANDLE_VALUE);

    Program program(dir.Path(), "ombrel.exe", L"\"" + names[0] + L"\"");
    HWND main = program.WaitForWindow("Quenmoor");
    ASSERT_NE(main, nullptr);
    PressButton(FindDescendant(main, "Button", "Links"));
    HWND window = program.WaitForWindow("Hard Links");
    ASSERT_NE(window, nullptr);
    HWND list = FindDescendant(window, "ListBox");
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowEnabled(FindDescendant(window, "Button", "Cancel")); }));
    CloseHandle(hold);

    std::vector<std::wstring> items = ItemsOf(list);
    std::sort(items.begin(), items.end());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(items, names);
    LRESULT marked = SendMessageW(list, LB_GETCURSEL, 0, 0);
    ASSERT_GE(marked, 0);
    EXPECT_EQ(ItemsOf(list)[static_cast<size_t>(marked)], top + L"\\a\\file.txt");
    EXPECT_NE(FindWideText(window, L"5 names"), nullptr);
    EXPECT_NE(FindWideText(window, L"1 folder could not be read: " + locked), nullptr);

    PressButton(FindDescendant(window, "Button", "Close"));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(window); }));
    PressButton(FindDescendant(main, "Button", "Exit"));
    EXPECT_EQ(program.ExitCode(), 0u);
}
