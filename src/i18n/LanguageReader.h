// Reading a language file by section and key. Free of the toolkit, so the
// Explorer extension reads the program's language files the same way.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

// Longest value a lookup returns, in UTF-16 characters; the rest is cut.
constexpr size_t MaxLanguageValue = 2047;

// Where a file names the code page it is written in ("[Encoding]",
// "CodePage=1251"): ASCII, so it is found before the file is decoded.
inline constexpr char EncodingSection[] = "Encoding";
inline constexpr char CodePageKey[] = "CodePage";

// The system's own ANSI code page: GetACP() answers the process's, which a
// manifest may have made UTF-8.
UINT SystemCodePage();

class TLanguageText;

// Reads values of a language file by section and key, as the system's
// profile reading does, but decoding the file itself. A file that starts
// with a UTF-8 or UTF-16 byte-order mark is read as such; one that names a
// valid code page under [Encoding] is read in it; any other is read in the
// system's ANSI code page, as the system would read it.
// Then: lines end at CR or LF; a line whose first non-blank is "[" and that
// holds a "]" starts a section named up to its last "]"; any other line is a
// key, up to its first "=", with the rest as its value (no "=": a key without
// value, which reads as missing); blanks (space, tab, vertical tab, form
// feed, Ctrl-Z) around names and values do not count; names match without
// regard to case, in any script; the first of duplicate sections and of
// duplicate keys counts; a value enclosed in a pair of the same quote (double
// or single) loses them; at most MaxLanguageValue characters are returned.
// A missing or unreadable file holds no keys.
// Outside a walk every lookup reads the file afresh, so an edit shows at
// once. During a walk (BeginWalk to EndWalk) the file is read once, at the
// walk's first lookup, and forgotten when the walk ends. The file is never
// held open.
class TLanguageReader {
public:
    // The file name is in the process code page; sections, keys, defaults
    // and values are texts in codePage.
    explicit TLanguageReader(std::string fileName, UINT codePage = CP_ACP);
    ~TLanguageReader();
    const std::string& FileName() const { return fileName_; }
    // The value, or Default when the file, section or key is missing.
    std::string ReadString(const std::string& Section, const std::string& Key, const std::string& Default) const;
    // Pairs nest; the reading is forgotten when the outermost pair ends.
    void BeginWalk() { ++walks_; }
    void EndWalk();

private:
    std::string fileName_;
    UINT codePage_;
    int walks_ = 0;
    mutable std::unique_ptr<TLanguageText> text_;
};
