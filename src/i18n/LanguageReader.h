// Reading a language file by section and key. Free of the toolkit, so the
// Explorer extension reads the program's language files the same way.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

// Longest value a lookup returns; the rest of a longer value is cut.
constexpr size_t MaxLanguageValue = 2047;

// One lookup through the system (GetPrivateProfileStringA): the value, or
// Default when the file, section or key is missing.
std::string ReadProfileString(const std::string& FileName, const std::string& Section, const std::string& Key,
                              const std::string& Default);

// One reading of a language file that answers lookups as the system's
// profile reading does: lines end at CR or LF; a line whose first non-blank
// is "[" and that holds a "]" starts a section named up to its last "]";
// any other line is a key, up to its first "=", with the rest as its value
// (no "=": a key without value, which reads as missing); blanks (space, tab,
// vertical tab, form feed, Ctrl-Z) around names and values do not count;
// names match without regard to case; the first of duplicate sections and of
// duplicate keys counts; a value enclosed in a pair of the same quote
// (double or single) loses them; at most MaxLanguageValue characters are
// returned. Where these rules and the system might part (a byte-order mark,
// NUL bytes, a code page of several bytes per character, a section or key
// name beyond ASCII, whose case the system may fold its own way), the answer
// is AskSystem. The file is read whole and closed at once.
class TLanguageText {
public:
    enum Answer { Found, Absent, AskSystem };
    explicit TLanguageText(const std::string& fileName);
    // Each section is parsed once, when it is first asked for.
    Answer Find(const std::string& Section, const std::string& Key, std::string& Value);

private:
    struct Entry {
        size_t order;
        bool hasValue;
        std::string_view value;  // blanks dropped, quotes kept
    };
    struct Section {
        bool askSystem = false;
        size_t firstWide = SIZE_MAX;  // order of the first key beyond ASCII
        std::unordered_map<std::string, Entry> keys;  // by lower-case name; the first counts
    };
    const Section& Parse(const std::string& name);

    std::string text_;
    bool askSystem_ = false;
    std::unordered_map<std::string, Section> sections_;  // by lower-case name
};

// Reads values of a language file by section and key. Outside a walk every
// lookup asks the system afresh, so an edit shows at once. During a walk
// (BeginWalk to EndWalk) the file is read once, at the walk's first lookup,
// and forgotten when the walk ends; it is never held open.
class TLanguageReader {
public:
    explicit TLanguageReader(std::string fileName);
    ~TLanguageReader();
    const std::string& FileName() const { return fileName_; }
    // The value, or Default when the file, section or key is missing.
    std::string ReadString(const std::string& Section, const std::string& Key, const std::string& Default) const;
    // Pairs nest; the reading is forgotten when the outermost pair ends.
    void BeginWalk() { ++walks_; }
    void EndWalk();

private:
    std::string fileName_;
    int walks_ = 0;
    mutable std::unique_ptr<TLanguageText> text_;
};
