// The reader against the system's own profile reading. The system is handed
// the same text as UTF-16 with a byte-order mark, which it reads alike under
// any code page; the reader gets the file in its own encoding.
#include "fs/FileSystem.h"
#include "i18n/LanguageReader.h"
#include "support/Files.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>

using namespace testsupport;
using namespace std::string_literals;

namespace {

const std::string LangDir = QUENMOOR_LANG_DIR;
constexpr UINT Utf16 = 1200;

// The tests' prefix is Western; the process's own code page is UTF-8.
constexpr UINT SystemAnsi = 1252;

std::string Utf8(const std::wstring& s) { return fs::Narrow(s, CP_UTF8); }

std::string Utf16Bytes(const std::wstring& s) {
    return "\xFF\xFE" + std::string(reinterpret_cast<const char*>(s.data()), s.size() * sizeof(wchar_t));
}

// The text of a file whose encoding the test knows.
std::wstring Decoded(const std::string& bytes, UINT codePage) {
    if (codePage == Utf16) return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
    std::string_view b(bytes);
    if (codePage == CP_UTF8 && b.substr(0, 3) == "\xEF\xBB\xBF") b.remove_prefix(3);
    return fs::Widen(b, codePage);
}

// Wine's profile reading folds the case of ASCII letters only, where Windows
// folds every letter: other case is compared in ASCII here, and checked in
// every script by NamesMatchWithoutRegardToCaseInAnyScript.
std::wstring Cased(std::wstring s, bool upper) {
    for (wchar_t& c : s)
        if (upper ? c >= L'a' && c <= L'z' : c >= L'A' && c <= L'Z') c ^= 0x20;
    return s;
}

// What the file's own lines could be keys for (the shipped files hold every
// key the program asks for), each also in other case and with blanks around,
// and keys found nowhere.
std::vector<std::wstring> KeysFor(std::wstring text) {
    std::set<std::wstring> names{L"Missing", L"MainForm.NoSuchButton.Caption", L"CodePage"};
    std::replace(text.begin(), text.end(), L'\r', L'\n');
    std::wistringstream lines(text);
    for (std::wstring line; std::getline(lines, line);) {
        std::wstring key = line.substr(0, line.find(L'='));
        if (key.find_first_not_of(L" \t\v\f\x1a") != std::wstring::npos) names.insert(key);
    }
    std::vector<std::wstring> keys;
    for (const std::wstring& k : names) keys.insert(keys.end(), {k, Cased(L" " + k, true) + L"\t", Cased(k, false)});
    return keys;
}

std::string SystemReads(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                        const std::string& fallback) {
    // A value is one line, so a line break back means "no such key".
    wchar_t buffer[MaxLanguageValue + 1];
    DWORD n = GetPrivateProfileStringW(section.c_str(), key.c_str(), L"\n", buffer, MaxLanguageValue + 1, file.c_str());
    std::wstring value(buffer, n);
    return value == L"\n" ? fallback : Utf8(value);
}

std::string Value(char first, size_t length) { return std::string(1, first) + std::string(length - 1, 'v'); }

struct OddFile {
    const char* what;
    UINT codePage;  // the file's own, as the test knows it
    std::string bytes;
};

const OddFile OddFiles[] = {
    {"comments, blank and malformed lines", SystemAnsi,
     "; a comment\r\n\r\n \t \r\n[Translations]\r\n;MainForm.Caption=commented\r\nMainForm.Caption=Real one\r\n"
     "#MainForm.Label1.Caption=hash\r\nnovalue\r\nnovalue=later\r\n=no key\r\n[broken\r\nbroken=1\r\n"
     "MainForm.Label1.Caption = spaced \t\r\n[k=v]x\r\nMainForm.ExitButton.Caption=after\r\n[Messages]\r\nAdd\r\nAdd=second\r\n"},
    {"keys containing =", SystemAnsi, "[Messages]\r\na=b=c\r\n x = y = z \r\n==double\r\nChoose files=W\xe4hle=Dateien\r\n"},
    {"quotes of both kinds and unbalanced", SystemAnsi,
     "[Messages]\r\nq1=\"both\"\r\nq2='single'\r\nq3=\"open\r\nq4=close\"\r\nq5='mixed\"\r\nq6=\"\r\nq7=\"\"\r\n"
     "q8=''\r\nq9=  \" pad \"  \r\nq10=\"a\"b\"\r\nq11='it''s'\r\nAdd=\" Add \"\r\n"},
    {"duplicate sections and keys", SystemAnsi,
     "[Messages]\r\nAdd=first\r\nADD=second\r\n[Translations]\r\nMainForm.Caption=T1\r\n[ messages ]\r\nAdd=third\r\n"
     "Only=in the second\r\n[TRANSLATIONS]\r\nMainForm.Caption=T2\r\nMainForm.ExitButton.Caption=late\r\n"},
    {"values of 2046 to 2049 characters", SystemAnsi,
     "[Messages]\r\nv2046=" + Value('a', 2046) + "\r\nv2047=" + Value('b', 2047) + "\r\nv2048=" + Value('c', 2048) +
         "\r\nv2049=" + Value('d', 2049) + "\r\nq2046=\"" + Value('e', 2045) + "\"\r\nq2047=\"" + Value('f', 2046) +
         "\"\r\nq2048='" + Value('g', 2047) + "'\r\nq2049=\"" + Value('h', 2048) + "\"\r\nb2049=  " +
         Value('i', 2047) + "  \r\n"},
    {"a missing section", SystemAnsi, "[Translations]\r\nMainForm.Caption=Only this\r\n"},
    {"an empty file", SystemAnsi, ""},
    {"no final line break", SystemAnsi, "[Messages]\r\nAdd=last line"},
    {"line breaks and blanks of every kind", SystemAnsi,
     "[Messages]\rAdd=\v\f\x1a cr only \x1a\rChoose files=\x1cnot blank\xa0\nChoose input folder=lf only\n"
     "\x1aHard Link Created\t=\tctrl-z\r\n  [ Translations ]  \r\nMainForm.Caption=spaced header\r\n"
     "[Translations]]\r\nMainForm.Caption=bracket\r\n"},
    {"keys beyond ASCII, in a declared code page", 1251,
     "[Encoding]\r\nCodePage=1251\r\n[Messages]\r\nAdd=before\r\n\xc4\xee\xe1\xe0\xe2\xe8\xf2\xfc=wide\r\n"
     "Hard Link Created=after\r\n"},
    {"a section beyond ASCII, in UTF-8 with a mark", CP_UTF8,
     "\xEF\xBB\xBF[Сообщения]\r\nAdd=ж\r\n[Messages]\r\nAdd=after\r\n"},
    {"UTF-16 with a mark", Utf16, Utf16Bytes(L"[Messages]\r\nAdd=日本-ж-😀\r\nЖ=ж\r\n")},
    {"NUL characters", SystemAnsi, "[Messages]\r\nAdd=a\0b\r\nq1=\"c\0d\"\r\nq2=\"e\0\r\n"s},
    {"a code page declared last, in other case", 1251, "[Messages]\r\nAdd=\xc4\xee\r\n[ENCODING]\r\n codepage = \"1251\" \r\n"},
    {"UTF-8 declared", CP_UTF8, "[Encoding]\r\nCodePage=65001\r\n[Messages]\r\nAdd=Добавить\r\n"},
    {"an unknown code page: the system's", SystemAnsi, "[Encoding]\r\nCodePage=1251x\r\n[Messages]\r\nAdd=W\xe4hle\r\n"},
    {"a mark outweighs a declaration", CP_UTF8, "\xEF\xBB\xBF[Encoding]\r\nCodePage=1251\r\n[Messages]\r\nAdd=Wähle\r\n"},
};

const wchar_t* const Sections[] = {L"Translations", L"MESSAGES", L" messages ", L"tessivar",
                                   L"Missing",      L"encoding", L"Сообщения"};

}  // namespace

TEST(LanguageText, AWalksReadingGivesWhatTheSystemGivesForEveryKey) {
    ASSERT_EQ(SystemCodePage(), SystemAnsi);
    TempDir dir;
    std::vector<OddFile> files = {{"English", SystemAnsi, ReadFile(LangDir + "\\English.lng")},
                                  {"German", 1252, ReadFile(LangDir + "\\German.lng")},
                                  {"Russian", 1251, ReadFile(LangDir + "\\Russian.lng")}};
    for (const OddFile& shipped : files) ASSERT_FALSE(shipped.bytes.empty()) << shipped.what;
    files.insert(files.end(), std::begin(OddFiles), std::end(OddFiles));
    char name = 'a';
    for (const OddFile& f : files) {
        std::string path = dir.MakeFile(std::string(1, name) + ".lng", f.bytes);
        std::wstring text = Decoded(f.bytes, f.codePage);
        std::wstring copy = Wide(dir.MakeFile(std::string(1, name++) + "16.lng", Utf16Bytes(text)));
        TLanguageReader reader(path, CP_UTF8);
        reader.BeginWalk();
        for (const wchar_t* section : Sections)
            for (const std::wstring& key : KeysFor(text))
                EXPECT_EQ(reader.ReadString(Utf8(section), Utf8(key), " default "),
                          SystemReads(copy, section, key, " default "))
                    << f.what << ": [" << Utf8(section) << "] \"" << Utf8(key) << "\"";
        reader.EndWalk();
    }
}

// The walk above reads for a caller in UTF-8; any other gets the texts in its
// own code page.
TEST(LanguageText, TheTextsComeInTheCallersCodePage) {
    EXPECT_EQ(TLanguageReader(LangDir + "\\Russian.lng").ReadString("Translations", "MainForm.CreateButton.Caption", ""),
              "Создать");
    // A caller's code page without the letters gets no look-alikes.
    EXPECT_EQ(TLanguageReader(LangDir + "\\Russian.lng", 1252).ReadString("Translations", "MainForm.CreateButton.Caption", ""),
              "???????");
}

TEST(LanguageText, NamesMatchWithoutRegardToCaseInAnyScript) {
    TempDir dir;
    TLanguageReader reader(dir.MakeFile("c.lng", "\xEF\xBB\xBF[Сообщения]\r\nДобавить=first\r\nдОБАВИТЬ=second\r\n"
                                                 "[СООБЩЕНИЯ]\r\nЖ=later\r\n[Ωμέγα]\r\nΑθήνα=Greek\r\n"),
                           CP_UTF8);
    const char* const lookups[][3] = {
        {"сообщения", "ДОБАВИТЬ", "first"}, {"СООБЩЕНИЯ", "добавить", "first"}, {"сообщения", "ж", "none"},
        {"ΩΜΈΓΑ", "αθήνα", "Greek"},        {"ωμέγα", "ΑΘΉΝΑ", "Greek"},
    };
    for (const auto& [section, key, value] : lookups)
        EXPECT_EQ(reader.ReadString(section, key, "none"), value) << section << " " << key;
}

TEST(LanguageText, AWalkReadsTheFileOnceAndTheNextWalkSeesAnEdit) {
    TempDir dir;
    std::string path = dir.MakeFile("A.lng", "[Messages]\r\nAdd=one\r\n");
    TLanguageReader reader(path);
    reader.BeginWalk();
    EXPECT_EQ(reader.ReadString("Messages", "Add", "x"), "one");
    // Not held open: the file can be replaced mid-walk; the walk keeps its reading.
    ASSERT_TRUE(DeleteFileA(path.c_str()));
    dir.MakeFile("A.lng", "[Messages]\r\nAdd=two\r\n");
    EXPECT_EQ(reader.ReadString("messages", "add", "x"), "one");
    reader.EndWalk();
    reader.BeginWalk();
    EXPECT_EQ(reader.ReadString("Messages", "Add", "x"), "two");
    reader.EndWalk();
}
