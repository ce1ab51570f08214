#include "support/Windows.h"

#include <algorithm>
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
template <class F>
void ForEachDescendant(HWND parent, F f) {
    EnumChildWindows(
        parent,
        [](HWND w, LPARAM lp) -> BOOL { return (*reinterpret_cast<F*>(lp))(w) ? TRUE : FALSE; },
        reinterpret_cast<LPARAM>(&f));
}
}  // namespace

HWND FindDescendant(HWND parent, const std::string& className, const std::string& text) {
    HWND found = nullptr;
    ForEachDescendant(parent, [&](HWND w) {
        if (lstrcmpiA(ClassOf(w).c_str(), className.c_str()) == 0 && (text.empty() || TextOf(w) == text)) found = w;
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

std::vector<HWND> VisibleWindowsOf(DWORD pid) {
    std::pair<DWORD, std::vector<HWND>> st{pid, {}};
    EnumWindows(
        [](HWND w, LPARAM lp) -> BOOL {
            auto* st = reinterpret_cast<std::pair<DWORD, std::vector<HWND>>*>(lp);
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (owner == st->first && IsWindowVisible(w)) st->second.push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&st));
    return st.second;
}

HWND VisibleWindowOf(DWORD pid, const std::string& caption) {
    for (HWND w : VisibleWindowsOf(pid))
        if (TextOf(w) == caption) return w;
    return nullptr;
}

}  // namespace testsupport
