// The program's own sentences for system error codes.
#pragma once

#include <cstdint>
#include <string>

// The sentence shown for a failed file-system operation; every code outside
// the table gets the generic sentence with the code.
std::string ErrorText(int code);

// The system error code behind a failed ShellExecuteA (a result of 32 or
// less). The result is the call's documented answer; the thread's last error
// is not, and may be 0 or beside the point (Wine leaves 193 for a file no
// program is associated with), so it only refines a result that is itself a
// system error code.
int ShellExecuteErrorCode(intptr_t result, int lastError);
