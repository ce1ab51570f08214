// A walk's one reading of a language file against the system's own lookups.
#include "i18n/LanguageReader.h"
#include "support/Files.h"
#include "toolkit/Classes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>

using namespace testsupport;
using namespace std::string_literals;

namespace {

const std::string LangDir = QUENMOOR_LANG_DIR;

// What the program asks a file for (English.lng holds every key of every
// window, every message and every text of the Explorer extension), what the file's own lines could be keys for,
// each also in other case and with blanks around, and keys found nowhere.
std::vector<std::string> KeysFor(const std::string& text, const std::string& english) {
    std::set<std::string> names{"Missing", "MainForm.NoSuchButton.Caption"};
    for (std::string source : {text, english}) {
        std::replace(source.begin(), source.end(), '\r', '\n');
        std::istringstream lines(source);
        for (std::string line; std::getline(lines, line);) {
            std::string key = line.substr(0, line.find('='));
            if (key.find_first_not_of(" \t\v\f\x1a") != std::string::npos) names.insert(key);
        }
    }
    std::vector<std::string> keys;
    for (const std::string& k : names) keys.insert(keys.end(), {k, tk::UpperCase(" " + k) + "\t", tk::LowerCase(k)});
    return keys;
}

std::string Value(char first, size_t length) { return std::string(1, first) + std::string(length - 1, 'v'); }

struct OddFile {
    const char* what;
    bool asksSystem;  // holds what only the system may judge
    std::string text;
};

const OddFile OddFiles[] = {
    {"comments, blank and malformed lines", false,
     "; a comment\r\n\r\n \t \r\n[Translations]\r\n;MainForm.Caption=commented\r\nMainForm.Caption=Real one\r\n"
     "#MainForm.Label1.Caption=hash\r\nnovalue\r\nnovalue=later\r\n=no key\r\n[broken\r\nbroken=1\r\n"
     "MainForm.Label1.Caption = spaced \t\r\n[k=v]x\r\nMainForm.ExitButton.Caption=after\r\n[Messages]\r\nAdd\r\nAdd=second\r\n"},
    {"keys containing =", false, "[Messages]\r\na=b=c\r\n x = y = z \r\n==double\r\nChoose files=W\xe4hle=Dateien\r\n"},
    {"quotes of both kinds and unbalanced", false,
     "[Messages]\r\nq1=\"both\"\r\nq2='single'\r\nq3=\"open\r\nq4=close\"\r\nq5='mixed\"\r\nq6=\"\r\nq7=\"\"\r\n"
     "q8=''\r\nq9=  \" pad \"  \r\nq10=\"a\"b\"\r\nq11='it''s'\r\nAdd=\" Add \"\r\n"},
    {"duplicate sections and keys", false,
     "[Messages]\r\nAdd=first\r\nADD=second\r\n[Translations]\r\nMainForm.Caption=T1\r\n[ messages ]\r\nAdd=third\r\n"
     "Only=in the second\r\n[TRANSLATIONS]\r\nMainForm.Caption=T2\r\nMainForm.ExitButton.Caption=late\r\n"},
    {"values of 2046 to 2049 characters", false,
     "[Messages]\r\nv2046=" + Value('a', 2046) + "\r\nv2047=" + Value('b', 2047) + "\r\nv2048=" + Value('c', 2048) +
         "\r\nv2049=" + Value('d', 2049) + "\r\nq2046=\"" + Value('e', 2045) + "\"\r\nq2047=\"" + Value('f', 2046) +
         "\"\r\nq2048='" + Value('g', 2047) + "'\r\nq2049=\"" + Value('h', 2048) + "\"\r\nb2049=  " +
         Value('i', 2047) + "  \r\n"},
    {"a missing section", false, "[Translations]\r\nMainForm.Caption=Only this\r\n"},
    {"an empty file", false, ""},
    {"no final line break", false, "[Messages]\r\nAdd=last line"},
    {"cp1251 text", false,
     "[Translations]\r\nMainForm.Caption=\xcf\xf0\xee\xe3\xf0\xe0\xec\xec\xe0\r\n[Messages]\r\n"
     "Add=\" \xc4\xee\xe1\xe0\xe2\xe8\xf2\xfc \"\r\nHard Link Created=\xd1\xee\xe7\xe4\xe0\xed\xe0\r\n"},
    {"a key beyond ASCII", true,
     "[Messages]\r\nAdd=before\r\n\xc4\xee\xe1\xe0\xe2\xe8\xf2\xfc=wide\r\nHard Link Created=after\r\n"},
    {"a section beyond ASCII", true, "[Me\xdf]\r\nAdd=x\r\n[Messages]\r\nAdd=after\r\n"},
    {"line breaks and blanks of every kind", false,
     "[Messages]\rAdd=\v\f\x1a cr only \x1a\rChoose files=\x1cnot blank\xa0\nChoose input folder=lf only\n"
     "\x1aHard Link Created\t=\tctrl-z\r\n  [ Translations ]  \r\nMainForm.Caption=spaced header\r\n"
     "[Translations]]\r\nMainForm.Caption=bracket\r\n"},
    {"a byte-order mark", true, "\xEF\xBB\xBF[Messages]\r\nAdd=marked\r\n"},
    {"NUL bytes", true, "[Messages]\r\nAdd=a\0b\r\n"s},
};

const char* const Sections[] = {"Translations", "MESSAGES", " messages ", "tessivar", "Missing"};

}  // namespace

TEST(LanguageText, AWalksReadingGivesWhatTheSystemGivesForEveryKey) {
    TempDir dir;
    std::string english = ReadFile(LangDir + "\\English.lng");
    ASSERT_FALSE(english.empty());
    std::vector<OddFile> files;
    for (const char* shipped : {"English", "German", "Russian"})
        files.push_back({shipped, false, ReadFile(LangDir + "\\" + shipped + ".lng")});
    files.insert(files.end(), std::begin(OddFiles), std::end(OddFiles));
    char name = 'a';
    for (const OddFile& f : files) {
        std::string path = dir.MakeFile(std::string(1, name++) + ".lng", f.text);
        TLanguageReader reader(path);
        TLanguageText direct(path);
        reader.BeginWalk();
        bool asked = false;
        for (const char* section : Sections)
            for (const std::string& key : KeysFor(f.text, english)) {
                std::string value;
                asked |= direct.Find(section, key, value) == TLanguageText::AskSystem;
                EXPECT_EQ(reader.ReadString(section, key, " default "), ReadProfileString(path, section, key, " default "))
                    << f.what << ": [" << section << "] \"" << key << "\"";
            }
        reader.EndWalk();
        EXPECT_EQ(asked, f.asksSystem) << f.what;
    }
    // A missing file: every key missing, and nothing to ask the system.
    std::string value;
    EXPECT_EQ(TLanguageText(dir / "none.lng").Find("Messages", "Add", value), TLanguageText::Absent);
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
