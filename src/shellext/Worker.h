// A drop's job off Explorer's thread: the system's progress dialog while it
// runs, its failures in one box at the end.
#pragma once

#include "shellext/LinkJob.h"

#include <memory>

namespace tessivar {

// Starts the job on a thread of its own and returns at once; with Wait, runs
// it on this thread and returns when it is done. The server stays locked
// (DllCanUnloadNow says S_FALSE) until the job and its box are done. Without
// ShowUi there is neither dialog nor box.
HRESULT StartJob(std::unique_ptr<TLinkJob> Job, bool ShowUi, bool Wait = false);

// The box text for a job's failures: at most MaxListed of them, each name
// with its sentence, then how many more there were.
std::wstring FailureText(const std::vector<TFailure>& Failures, size_t MaxListed = 10);

}  // namespace tessivar
