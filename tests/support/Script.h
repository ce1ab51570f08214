// Acts on modal windows from inside their own message loop, one step per
// tick, as a person would.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace testsupport {

// A step that returns false is tried again at the next tick, ten seconds at
// most; then every system dialog is cancelled, so that a failing test ends.
// A step may run a modal loop of its own, in which the next steps go on.
class Script {
public:
    using Step = std::function<bool()>;
    explicit Script(std::vector<Step> steps);
    ~Script();
    Script(const Script&) = delete;
    Script& operator=(const Script&) = delete;

private:
    struct Pending {
        Step step;
        int tries;
    };
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
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

// A visible system dialog of this process other than `except`.
HWND SystemDialog(HWND except = nullptr);
// Acts on the system dialog once one is up; false: not ready yet.
Script::Step OnDialog(std::function<bool(HWND)> act);
// Presses a dialog's button by its identifier.
bool Press(HWND dialog, int id);
// Keys pressed and released, one after the other.
void Keys(std::initializer_list<WORD> keys);
// A drop of file names as the shell hands it to a window.
HGLOBAL MakeDrop(const std::vector<std::string>& names);

}  // namespace testsupport
