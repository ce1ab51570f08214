// Finding and reading windows, in this process or another one.
#pragma once

#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

inline std::string TextOf(HWND wnd) {
    char buf[1024] = {};
    // WM_GETTEXT reaches into another process; GetWindowText would not.
    SendMessageTimeoutA(wnd, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 2000, nullptr);
    return buf;
}

inline std::string ClassOf(HWND wnd) {
    char buf[256] = {};
    GetClassNameA(wnd, buf, sizeof buf);
    return buf;
}

// Enumeration callbacks are stdcall on 32-bit Windows: no lambdas there.
using Visit = std::function<bool(HWND)>;
inline BOOL CALLBACK VisitOne(HWND w, LPARAM lp) { return (*reinterpret_cast<Visit*>(lp))(w) ? TRUE : FALSE; }
inline void ForEachDescendant(HWND parent, Visit f) { EnumChildWindows(parent, VisitOne, reinterpret_cast<LPARAM>(&f)); }

// The first descendant for which the test holds.
inline HWND FindDescendant(HWND parent, const std::function<bool(HWND)>& test) {
    HWND found = nullptr;
    ForEachDescendant(parent, [&](HWND w) { return !test(w) || !(found = w); });
    return found;
}
// A descendant with this class (any case) and text; an empty text matches any.
inline HWND FindDescendant(HWND parent, const std::string& className, const std::string& text = "") {
    return FindDescendant(parent, [&](HWND w) {
        return lstrcmpiA(ClassOf(w).c_str(), className.c_str()) == 0 && (text.empty() || TextOf(w) == text);
    });
}
// A window's Unicode text, asked of the window itself: the system answers
// another process's GetWindowText from the text the control was made with.
inline std::wstring WideTextOf(HWND wnd) {
    DWORD_PTR length = 0;
    SendMessageTimeoutW(wnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length);
    std::wstring text(length + 1, L'\0');
    DWORD_PTR got = 0;
    SendMessageTimeoutW(wnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, 2000, &got);
    text.resize(std::min<size_t>(got, length));
    return text;
}

// A descendant whose Unicode text is this one: what a user sees, whatever
// the reader's code page.
inline HWND FindWideText(HWND parent, const std::wstring& text) {
    return FindDescendant(parent, [&](HWND w) { return WideTextOf(w) == text; });
}

// Non-empty texts of the descendants of one class, from left to right.
inline std::vector<std::string> TextsOf(HWND parent, const std::string& className) {
    std::vector<std::pair<LONG, std::string>> found;
    ForEachDescendant(parent, [&](HWND w) {
        std::string t = TextOf(w);
        RECT r;
        GetWindowRect(w, &r);
        if (lstrcmpiA(ClassOf(w).c_str(), className.c_str()) == 0 && !t.empty()) found.emplace_back(r.left, t);
        return true;
    });
    std::stable_sort(found.begin(), found.end(), [](auto& a, auto& b) { return a.first < b.first; });
    std::vector<std::string> out;
    for (auto& f : found) out.push_back(f.second);
    return out;
}

// Width in pixels of a window's own text in the font it draws with.
inline int TextWidth(HWND wnd) {
    std::string text = TextOf(wnd);
    HDC dc = GetDC(wnd);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(wnd, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(wnd, dc);
    return size.cx;
}

// The text of a list box's selected item, empty when none is selected.
inline std::string SelectedItemOf(HWND list) {
    LRESULT i = SendMessageW(list, LB_GETCURSEL, 0, 0);
    wchar_t wide[1024] = {};
    // Wine carries a list's text to another process only in the wide form.
    if (i < 0 || SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0) >= 1024) return {};
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(wide));
    char text[2048] = {};
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    return text;
}

inline std::vector<HWND> VisibleWindowsOf(DWORD pid) {
    std::vector<HWND> found;
    Visit f = [&](HWND w) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == pid && IsWindowVisible(w)) found.push_back(w);
        return true;
    };
    EnumWindows(VisitOne, reinterpret_cast<LPARAM>(&f));
    return found;
}

inline HWND VisibleWindowOf(DWORD pid, const std::string& caption) {
    for (HWND w : VisibleWindowsOf(pid))
        if (TextOf(w) == caption) return w;
    return nullptr;
}

// Polls a condition until it holds or the time is up.
template <class F>
bool WaitUntil(F cond, DWORD ms = 10000) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(20))
        if (cond()) return true;
    return cond();
}

}  // namespace testsupport
