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

std::string ReadProfileString(const std::string& FileName, const std::string& Section, const std::string& Key,
                              const std::string& Default) {
    // An empty name would make the system search its own folder for a file.
    if (FileName.empty()) return Default;
    char buffer[MaxLanguageValue + 1];
    DWORD n = GetPrivateProfileStringA(Section.c_str(), Key.c_str(), MissingMark, buffer, sizeof buffer,
                                       FileName.c_str());
    std::string value(buffer, std::min<size_t>(n, MaxLanguageValue));
    if (value == MissingMark) return Default;
    return value;
}

namespace {

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1a'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && Blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && Blank(s.back())) s.remove_suffix(1);
    return s;
}

bool Ascii(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// The system reads a file through the wide characters of the ANSI code page;
// bytes stand for themselves only in a code page of one byte per character
// that converts there and back unchanged.
bool BytesAreCharacters() {
    static const bool same = [] {
        CPINFO info{};
        if (!GetCPInfo(CP_ACP, &info) || info.MaxCharSize != 1) return false;
        char bytes[256];
        for (int i = 0; i < 256; ++i) bytes[i] = static_cast<char>(i);
        wchar_t wide[256];
        char back[256];
        if (MultiByteToWideChar(CP_ACP, 0, bytes, 256, wide, 256) != 256) return false;
        if (WideCharToMultiByte(CP_ACP, 0, wide, 256, back, 256, nullptr, nullptr) != 256) return false;
        return std::equal(bytes, bytes + 256, back);
    }();
    return same;
}

bool IsPath(const std::string& name) { return name.find_first_of("\\/:") != std::string::npos; }

// The whole file, read and closed again at once; false with the system's error.
bool ReadWhole(const std::string& name, std::string& text, DWORD& error) {
    HANDLE file = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = GetLastError();
        return false;
    }
    LARGE_INTEGER size{};
    DWORD read = 0;
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart <= (64 << 20);
    if (ok) {
        text.resize(static_cast<size_t>(size.QuadPart));
        ok = text.empty() || (ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &read, nullptr) &&
                              read == text.size());
    }
    error = ok ? 0 : ERROR_READ_FAULT;
    CloseHandle(file);
    return ok;
}

}  // namespace

TLanguageText::TLanguageText(const std::string& fileName) {
    // A bare name is looked for in the system's folder: the system knows where.
    if (!BytesAreCharacters() || !IsPath(fileName)) {
        askSystem_ = true;
        return;
    }
    DWORD error = 0;
    if (!ReadWhole(fileName, text_, error)) {
        // A missing file holds no keys; anything else is the system's to judge.
        askSystem_ = error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
        text_.clear();
        return;
    }
    // Byte-order marks make the system read another encoding.
    static const std::string_view marks[] = {"\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"};
    for (std::string_view mark : marks)
        if (text_.compare(0, mark.size(), mark) == 0) askSystem_ = true;
    if (text_.find('\0') != std::string::npos) askSystem_ = true;
}

const TLanguageText::Section& TLanguageText::Parse(const std::string& name) {
    auto known = sections_.find(name);
    if (known != sections_.end()) return known->second;
    Section& section = sections_[name];
    bool inside = false;
    size_t order = 0;
    std::string_view text(text_);
    while (!text.empty()) {
        size_t end = text.find_first_of("\r\n");
        std::string_view line = Trim(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        size_t close = line.rfind(']');
        if (!line.empty() && line.front() == '[' && close != std::string_view::npos) {
            if (inside) break;
            std::string_view header = Trim(line.substr(1, close - 1));
            if (!Ascii(header)) {
                // It might be this section under the system's rules for case.
                section.askSystem = true;
                break;
            }
            inside = Lower(header) == name;
            continue;
        }
        if (!inside || line.empty()) continue;
        size_t equals = line.find('=');
        std::string_view key = Trim(line.substr(0, equals));
        Entry entry{order++, equals != std::string_view::npos,
                    equals == std::string_view::npos ? std::string_view() : Trim(line.substr(equals + 1))};
        if (!Ascii(key)) section.firstWide = std::min(section.firstWide, entry.order);
        section.keys.emplace(Lower(key), entry);
    }
    return section;
}

TLanguageText::Answer TLanguageText::Find(const std::string& Section, const std::string& Key, std::string& Value) {
    std::string_view section = Trim(Section), key = Trim(Key);
    // Empty names, and names beyond ASCII, are left to the system's own rules.
    if (askSystem_ || section.empty() || key.empty() || !Ascii(section) || !Ascii(key)) return AskSystem;
    const TLanguageText::Section& s = Parse(Lower(section));
    if (s.askSystem) return AskSystem;
    auto it = s.keys.find(Lower(key));
    size_t order = it == s.keys.end() ? SIZE_MAX : it->second.order;
    // A key beyond ASCII before this one might be this one.
    if (s.firstWide != SIZE_MAX && s.firstWide < order) return AskSystem;
    if (it == s.keys.end() || !it->second.hasValue) return Absent;
    std::string_view v = it->second.value;
    // The quotes go with the value copied into the system's buffer: when the
    // value fills the buffer, the closing quote was cut off with the rest.
    bool quoted = v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front();
    if (quoted) v.remove_prefix(1);
    bool whole = v.size() <= MaxLanguageValue + 1;
    v = v.substr(0, MaxLanguageValue);
    if (quoted && whole) v.remove_suffix(1);
    Value.assign(v);
    return Found;
}

TLanguageReader::TLanguageReader(std::string fileName) : fileName_(std::move(fileName)) {}

TLanguageReader::~TLanguageReader() = default;

void TLanguageReader::EndWalk() {
    if (walks_ > 0 && --walks_ == 0) text_.reset();
}

std::string TLanguageReader::ReadString(const std::string& Section, const std::string& Key,
                                        const std::string& Default) const {
    if (fileName_.empty()) return Default;
    if (walks_ > 0) {
        if (!text_) text_ = std::make_unique<TLanguageText>(fileName_);
        std::string value;
        switch (text_->Find(Section, Key, value)) {
        case TLanguageText::Found: return value;
        case TLanguageText::Absent: return Default;
        case TLanguageText::AskSystem: break;
        }
    }
    return ReadProfileString(fileName_, Section, Key, Default);
}
