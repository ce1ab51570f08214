#include "i18n/LanguageReader.h"

#include "fs/FileSystem.h"

#include <string_view>
#include <unordered_map>

UINT SystemCodePage() {
    static const UINT codePage = [] {
        UINT n = 0;
        GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                       reinterpret_cast<LPWSTR>(&n), sizeof n / sizeof(WCHAR));
        // A locale of a script without an ANSI code page names none.
        return n ? n : GetACP();
    }();
    return codePage;
}

namespace {

bool Blank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\v' || c == L'\f' || c == L'\x1a'; }

std::wstring_view Trim(std::wstring_view s) {
    while (!s.empty() && Blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && Blank(s.back())) s.remove_suffix(1);
    return s;
}

// Names compare in capitals, as the system compares file names.
std::wstring Fold(std::wstring_view s) {
    std::wstring out(s);
    if (!out.empty()) CharUpperBuffW(out.data(), static_cast<DWORD>(out.size()));
    return out;
}

std::wstring Utf16(std::string_view bytes, bool bigEndian) {
    std::wstring out(bytes.size() / 2, L'\0');
    for (size_t i = 0; i < out.size(); ++i) {
        unsigned a = static_cast<unsigned char>(bytes[2 * i]), b = static_cast<unsigned char>(bytes[2 * i + 1]);
        out[i] = static_cast<wchar_t>(bigEndian ? a << 8 | b : b << 8 | a);
    }
    return out;
}

}  // namespace

class TLanguageText {
public:
    explicit TLanguageText(const std::string& fileName);
    bool Find(std::wstring_view Section, std::wstring_view Key, std::wstring& Value) const;

private:
    struct Entry {
        bool hasValue;
        std::wstring_view value;  // blanks dropped, quotes kept
    };
    using Keys = std::unordered_map<std::wstring, Entry>;  // by folded name; the first counts
    void Parse();
    UINT DeclaredCodePage() const;

    std::wstring text_;
    std::unordered_map<std::wstring, Keys> sections_;  // by folded name
};

TLanguageText::TLanguageText(const std::string& fileName) {
    std::string bytes;
    if (!fs::ReadWhole(fs::Widen(fileName), bytes, 64 << 20)) return;
    std::string_view b(bytes);
    if (b.substr(0, 3) == "\xEF\xBB\xBF") text_ = fs::Widen(b.substr(3), CP_UTF8);
    else if (b.substr(0, 2) == "\xFF\xFE") text_ = Utf16(b.substr(2), false);
    else if (b.substr(0, 2) == "\xFE\xFF") text_ = Utf16(b.substr(2), true);
    else {
        // Each byte taken for the character of its number: the declaration,
        // being ASCII, reads the same as in the file's own code page.
        text_.resize(b.size());
        for (size_t i = 0; i < b.size(); ++i) text_[i] = static_cast<unsigned char>(b[i]);
        Parse();
        text_ = fs::Widen(b, DeclaredCodePage());
        sections_.clear();
    }
    Parse();
}

UINT TLanguageText::DeclaredCodePage() const {
    std::wstring value;
    UINT n = 0;
    bool digits = Find(L"Encoding", L"CodePage", value) && !value.empty() && value.size() <= 5;
    for (wchar_t c : value) {
        digits = digits && c >= L'0' && c <= L'9';
        n = n * 10 + (c - L'0');
    }
    return digits && IsValidCodePage(n) ? n : SystemCodePage();
}

void TLanguageText::Parse() {
    Keys* keys = nullptr;  // of the section being read; none in a repeated one
    std::wstring_view text(text_);
    while (!text.empty()) {
        size_t end = text.find_first_of(L"\r\n");
        std::wstring_view line = Trim(text.substr(0, end));
        text.remove_prefix(end == std::wstring_view::npos ? text.size() : end + 1);
        size_t close = line.rfind(L']');
        if (!line.empty() && line.front() == L'[' && close != std::wstring_view::npos) {
            auto [section, fresh] = sections_.try_emplace(Fold(Trim(line.substr(1, close - 1))));
            keys = fresh ? &section->second : nullptr;
            continue;
        }
        if (!keys || line.empty()) continue;
        size_t equals = line.find(L'=');
        Entry entry{equals != std::wstring_view::npos,
                    equals == std::wstring_view::npos ? std::wstring_view() : Trim(line.substr(equals + 1))};
        keys->try_emplace(Fold(Trim(line.substr(0, equals))), entry);
    }
}

bool TLanguageText::Find(std::wstring_view Section, std::wstring_view Key, std::wstring& Value) const {
    Section = Trim(Section);
    Key = Trim(Key);
    if (Section.empty() || Key.empty()) return false;
    auto section = sections_.find(Fold(Section));
    if (section == sections_.end()) return false;
    auto key = section->second.find(Fold(Key));
    if (key == section->second.end() || !key->second.hasValue) return false;
    // The system keeps a value as a C string: a NUL ends it.
    std::wstring_view v = key->second.value;
    v = v.substr(0, v.find(L'\0'));
    // The quotes go with the value copied into the system's buffer: when the
    // value fills the buffer, the closing quote was cut off with the rest.
    bool quoted = v.size() >= 2 && (v.front() == L'"' || v.front() == L'\'') && v.back() == v.front();
    if (quoted) v.remove_prefix(1);
    bool whole = v.size() <= MaxLanguageValue + 1;
    v = v.substr(0, MaxLanguageValue);
    if (quoted && whole) v.remove_suffix(1);
    Value.assign(v);
    return true;
}

TLanguageReader::TLanguageReader(std::string fileName, UINT codePage)
    : fileName_(std::move(fileName)), codePage_(codePage) {}

TLanguageReader::~TLanguageReader() = default;

void TLanguageReader::EndWalk() {
    if (walks_ > 0 && --walks_ == 0) text_.reset();
}

std::string TLanguageReader::ReadString(const std::string& Section, const std::string& Key,
                                        const std::string& Default) const {
    if (fileName_.empty()) return Default;
    std::unique_ptr<TLanguageText> fresh;
    if (walks_ == 0) fresh = std::make_unique<TLanguageText>(fileName_);
    else if (!text_) text_ = std::make_unique<TLanguageText>(fileName_);
    std::wstring value;
    if (!(fresh ? *fresh : *text_).Find(fs::Widen(Section, codePage_), fs::Widen(Key, codePage_), value)) return Default;
    return fs::Narrow(value, codePage_);
}
