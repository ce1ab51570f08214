#include "support/Script.h"

#include <gtest/gtest.h>

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
    if (!p.step() && ++p.tries < 100) steps_.push_front(std::move(p));
    else if (p.tries >= 100) ADD_FAILURE() << "a step waited in vain";
}

}  // namespace testsupport
