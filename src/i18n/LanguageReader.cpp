#include "i18n/LanguageReader.h"

#include <windows.h>

#include <algorithm>

namespace {
// Handed to the system instead of the caller's default: a profile value is
// one line and never holds a line break, so getting it back means "no such
// key". The system trims trailing blanks off a default it returns, which
// would spoil texts like " Input (files: ", and it would cut a default longer
// than the buffer; so the caller's default never goes to the system.
const char MissingMark[] = "\n";
}  // namespace

std::string TLanguageReader::ReadString(const std::string& Section, const std::string& Key,
                                        const std::string& Default) const {
    // An empty name would make the system search its own folder for a file.
    if (fileName_.empty()) return Default;
    char buffer[MaxLanguageValue + 1];
    DWORD n = GetPrivateProfileStringA(Section.c_str(), Key.c_str(), MissingMark, buffer, sizeof buffer,
                                       fileName_.c_str());
    std::string value(buffer, std::min<size_t>(n, MaxLanguageValue));
    if (value == MissingMark) return Default;
    return value;
}
