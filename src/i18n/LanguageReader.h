// Reading a language file by section and key. Free of the toolkit, so the
// Explorer extension reads the program's language files the same way.
#pragma once

#include <string>

// Longest value a lookup returns; the rest of a longer value is cut.
constexpr size_t MaxLanguageValue = 2047;

// Reads values of a profile file by section and key. The file is not held
// open: every lookup asks the system afresh, so edits show at once.
class TLanguageReader {
public:
    explicit TLanguageReader(std::string fileName) : fileName_(std::move(fileName)) {}
    const std::string& FileName() const { return fileName_; }
    // The value, or Default when the file, section or key is missing.
    std::string ReadString(const std::string& Section, const std::string& Key, const std::string& Default) const;

private:
    std::string fileName_;
};
