#include "support/Windows.h"

#include <algorithm>
#include <functional>
#include <utility>

namespace testsupport {

std::string TextOf(HWND wnd) {
    char buf[1024] = {};
    // WM_GETTEXT reaches into another process; GetWindowText would not.
    SendMessageTimeoutA(wnd, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 2000, nullptr);
    return buf;
}

std::string ClassOf(HWND wnd) {
    char buf[256] = {};
    GetClassNameA(wnd, buf, sizeof buf);
    return buf;
}

namespace {
using Visit = std::function<bool(HWND)>;
// Enumeration callbacks are stdcall on 32-bit Windows: no lambdas there.
BOOL CALLBACK VisitOne(HWND w, LPARAM lp) { return (*reinterpret_cast<Visit*>(lp))(w) ? TRUE : FALSE; }
void ForEachDescendant(HWND parent, Visit f) { EnumChildWindows(parent, VisitOne, reinterpret_cast<LPARAM>(&f)); }
void ForEachTopLevel(Visit f) { EnumWindows(VisitOne, reinterpret_cast<LPARAM>(&f)); }
}  // namespace

HWND FindDescendant(HWND parent, const std::string& className, const std::string& text) {
    HWND found = nullptr;
    ForEachDescendant(parent, [&](HWND w) {
        if (lstrcmpiA(ClassOf(w).c_str(), className.c_str()) == 0 && (text.empty() || TextOf(w) == text)) found = w;
        return found == nullptr;
    });
    return found;
}

HWND FindWideText(HWND parent, const std::wstring& text) {
    HWND found = nullptr;
    ForEachDescendant(parent, [&](HWND w) {
        wchar_t buf[1024] = {};
        SendMessageTimeoutW(w, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 2000, nullptr);
        if (buf == text) found = w;
        return found == nullptr;
    });
    return found;
}

std::vector<std::string> TextsOf(HWND parent, const std::string& className) {
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

int TextWidth(HWND wnd) {
    std::string text = TextOf(wnd);
    HDC dc = GetDC(wnd);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(wnd, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(wnd, dc);
    return size.cx;
}

std::string SelectedItemOf(HWND list) {
    LRESULT i = SendMessageW(list, LB_GETCURSEL, 0, 0);
    wchar_t wide[1024] = {};
    // Wine carries a list's text to another process only in the wide form.
    if (i < 0 || SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0) >= 1024) return {};
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(wide));
    char text[2048] = {};
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    return text;
}

std::vector<HWND> VisibleWindowsOf(DWORD pid) {
    std::vector<HWND> found;
    ForEachTopLevel([&](HWND w) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == pid && IsWindowVisible(w)) found.push_back(w);
        return true;
    });
    return found;
}

HWND VisibleWindowOf(DWORD pid, const std::string& caption) {
    for (HWND w : VisibleWindowsOf(pid))
        if (TextOf(w) == caption) return w;
    return nullptr;
}

}  // namespace testsupport
