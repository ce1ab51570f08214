// Finding and reading windows, in this process or another one.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace testsupport {

std::string TextOf(HWND wnd);
std::string ClassOf(HWND wnd);
// A descendant with this class (any case) and text; an empty text matches any.
HWND FindDescendant(HWND parent, const std::string& className, const std::string& text = "");
// A descendant whose Unicode text is this one: what a user sees, whatever
// the reader's code page.
HWND FindWideText(HWND parent, const std::wstring& text);
// Non-empty texts of the descendants of one class, from left to right.
std::vector<std::string> TextsOf(HWND parent, const std::string& className);
// Width in pixels of a window's own text in the font it draws with.
int TextWidth(HWND wnd);
// The text of a list box's selected item, empty when none is selected.
std::string SelectedItemOf(HWND list);
std::vector<HWND> VisibleWindowsOf(DWORD pid);
HWND VisibleWindowOf(DWORD pid, const std::string& caption);

// Polls a condition until it holds or the time is up.
template <class F>
bool WaitUntil(F cond, DWORD ms = 10000) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(20))
        if (cond()) return true;
    return cond();
}

}  // namespace testsupport
