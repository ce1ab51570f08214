#include "support/Script.h"

#include "support/Windows.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>

namespace testsupport {

Script::Script(std::vector<Step> steps) {
    for (Step& s : steps) steps_.push_back({std::move(s), 0});
    timer_ = SetTimer(nullptr, 0, 100, Tick);
}

Script::~Script() {
    KillTimer(nullptr, timer_);
    steps_.clear();
}

void CALLBACK Script::Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (steps_.empty()) return;
    // Taken off first: a step may run a modal loop that needs the next ones.
    Pending p = std::move(steps_.front());
    steps_.pop_front();
    if (p.step()) return;
    if (++p.tries < 100) return steps_.push_front(std::move(p));
    ADD_FAILURE() << "a step waited in vain";
    for (HWND w : VisibleWindowsOf(GetCurrentProcessId()))
        if (ClassOf(w) == "#32770") Press(w, IDCANCEL);
}

HWND SystemDialog(HWND except) {
    for (HWND w : VisibleWindowsOf(GetCurrentProcessId()))
        if (w != except && ClassOf(w) == "#32770") return w;
    return nullptr;
}

Script::Step OnDialog(std::function<bool(HWND)> act) {
    return [act] {
        HWND dlg = SystemDialog();
        return dlg && act(dlg);
    };
}

bool Press(HWND dialog, int id) { return PostMessageA(dialog, WM_COMMAND, static_cast<WPARAM>(id), 0); }

void Keys(std::initializer_list<WORD> keys) {
    std::vector<INPUT> in;
    for (WORD vk : keys)
        for (DWORD up : {DWORD{0}, DWORD{KEYEVENTF_KEYUP}}) {
            INPUT i{};
            i.type = INPUT_KEYBOARD;
            i.ki.wVk = vk;
            i.ki.dwFlags = up;
            in.push_back(i);
        }
    SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

HGLOBAL MakeDrop(const std::vector<std::string>& names) {
    std::string list;
    for (const std::string& n : names) list += n + '\0';
    list += '\0';
    HGLOBAL mem = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size());
    auto* drop = static_cast<DROPFILES*>(GlobalLock(mem));
    drop->pFiles = sizeof(DROPFILES);
    std::memcpy(drop + 1, list.data(), list.size());
    GlobalUnlock(mem);
    return mem;
}

}  // namespace testsupport
