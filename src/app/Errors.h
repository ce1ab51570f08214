// The program's own sentences for system error codes.
#pragma once

#include <string>

// The sentence shown for a failed file-system operation; every code outside
// the table gets the generic sentence with the code.
std::string ErrorText(int code);
