// Acts on modal windows from inside their own message loop, one step per
// tick, as a person would.
#pragma once

#include "support/Files.h"
#include "support/Windows.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>
#include <deque>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace testsupport {

// A visible system dialog of this process other than `except`.
inline HWND SystemDialog(HWND except = nullptr) {
    for (HWND w : VisibleWindowsOf(GetCurrentProcessId()))
        if (w != except && ClassOf(w) == "#32770") return w;
    return nullptr;
}

// Presses a dialog's button by its identifier.
inline bool Press(HWND dialog, int id) { return PostMessageA(dialog, WM_COMMAND, static_cast<WPARAM>(id), 0); }

// A step that returns false is tried again at the next tick, ten seconds at
// most; then every system dialog is cancelled, so that a failing test ends.
// A step may run a modal loop of its own, in which the next steps go on.
class Script {
public:
    using Step = std::function<bool()>;
    explicit Script(std::vector<Step> steps) {
        for (Step& s : steps) steps_.push_back({std::move(s), 0});
        timer_ = SetTimer(nullptr, 0, 100, Tick);
    }
    ~Script() {
        KillTimer(nullptr, timer_);
        steps_.clear();
    }
    Script(const Script&) = delete;
    Script& operator=(const Script&) = delete;

private:
    struct Pending {
        Step step;
        int tries;
    };
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
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
    static inline std::deque<Pending> steps_;
    UINT_PTR timer_;
};

// A step that always succeeds.
inline Script::Step Check(std::function<void()> f) {
    return [f] {
        f();
        return true;
    };
}
inline Script::Step Pause() {
    return [] { return true; };
}

// Acts on the system dialog once one is up; false: not ready yet.
inline Script::Step OnDialog(std::function<bool(HWND)> act) {
    return [act] {
        HWND dlg = SystemDialog();
        return dlg && act(dlg);
    };
}

// Keys pressed and released, one after the other.
inline void Keys(std::initializer_list<WORD> keys) {
    std::vector<INPUT> in;
    for (WORD vk : keys)
        for (DWORD up : {DWORD{0}, DWORD{KEYEVENTF_KEYUP}}) {
            INPUT& i = in.emplace_back();
            i.type = INPUT_KEYBOARD;
            i.ki.wVk = vk;
            i.ki.dwFlags = up;
        }
    SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

// A drop of file names as the shell hands it to a window: in UTF-16.
inline HGLOBAL MakeDrop(const std::vector<std::wstring>& names) {
    std::wstring list;
    for (const std::wstring& n : names) list += n + L'\0';
    list += L'\0';
    HGLOBAL mem = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
    auto* drop = static_cast<DROPFILES*>(GlobalLock(mem));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::memcpy(drop + 1, list.data(), list.size() * sizeof(wchar_t));
    GlobalUnlock(mem);
    return mem;
}
inline HGLOBAL MakeDrop(const std::vector<std::string>& names) {
    std::vector<std::wstring> wide;
    for (const std::string& n : names) wide.push_back(Wide(n));
    return MakeDrop(wide);
}

}  // namespace testsupport
