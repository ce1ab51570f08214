// Acts on a modal window from inside its own message loop, one step per
// tick, as a person would.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <vector>

namespace testsupport {

// A step that returns false is tried again at the next tick, ten seconds at
// most; a step may run a modal loop of its own, in which the next steps go on.
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

}  // namespace testsupport
