// The one door to the disk: the paths it hands the system, the names it
// refuses to bend, and long paths on the real file system.
#include "app/LinkLib.h"
#include "fs/FileSystem.h"
#include "fs/LinkNames.h"
#include "support/Files.h"

#include <gtest/gtest.h>

using namespace testsupport;
using fs::NamesOfOneFile;
using fs::TFileIdentity;

namespace {

// Restores the process's current folder, which the table moves.
struct CurrentFolderScope {
    std::string saved = fs::CurrentFolder();
    ~CurrentFolderScope() { fs::SetCurrentFolder(saved); }
};

std::wstring Of(const std::string& s) { return fs::Widen(s); }

// A path of exactly length characters below C:\ (folders of 100 names).
std::string PathOfLength(size_t length) {
    std::string path = "C:";
    while (path.size() + 101 < length) path += "\\" + std::string(100, 'd');
    return path + "\\" + std::string(length - path.size() - 1, 'f');
}

}  // namespace

TEST(FileSystem, ExtendedPathsTable) {
    TempDir dir("C:\\");
    CurrentFolderScope scope;
    ASSERT_TRUE(fs::SetCurrentFolder(dir.Path()));
    const std::string cur = fs::CurrentFolder();
    ASSERT_EQ(cur, dir.Path());
    SetEnvironmentVariableW(L"=Q:", nullptr);
    const struct {
        std::string in, out;
    } rows[] = {
        {"rel\\file.txt", cur + "\\rel\\file.txt"},
        {".\\a\\..\\b", cur + "\\b"},
        {"..\\x", "C:\\x"},
        {"\\top\\x", "C:\\top\\x"},
        {"C:", cur},
        {"Q:rel", "Q:\\rel"},
        {"C:/a/./b/../c", "C:\\a\\c"},
        {"C:\\..\\..\\a\\\\b\\", "C:\\a\\b"},
        {"C:\\", "C:\\"},
        {"\\\\server\\share\\a\\..\\b", "\\\\server\\share\\b"},
        // Already in the system's own form: untouched.
        {"\\\\?\\C:\\x\\..\\y.", "\\\\?\\C:\\x\\..\\y."},
        // A name ending in a dot or a space would be trimmed in the plain form.
        {"C:\\a\\name.", "\\\\?\\C:\\a\\name."},
        {"C:\\a\\dir \\b", "\\\\?\\C:\\a\\dir \\b"},
        {"\\\\srv\\sh\\dot.", "\\\\?\\UNC\\srv\\sh\\dot."},
        {"C:\\a\\...\\b", "\\\\?\\C:\\a\\...\\b"},
        // A device's name, also with an extension, would be the device.
        {"C:\\a\\aux.txt", "\\\\?\\C:\\a\\aux.txt"},
        {"C:\\nul\\b", "\\\\?\\C:\\nul\\b"},
        {"C:\\a\\Com7 .log", "\\\\?\\C:\\a\\Com7 .log"},
        {"C:\\a\\auxiliary.txt", "C:\\a\\auxiliary.txt"},
        {"C:\\a\\com10", "C:\\a\\com10"},
        // Long: the plain form stops short of CreateDirectory's limit.
        {PathOfLength(247), PathOfLength(247)},
        {PathOfLength(248), "\\\\?\\" + PathOfLength(248)},
        {PathOfLength(259), "\\\\?\\" + PathOfLength(259)},
        {PathOfLength(260), "\\\\?\\" + PathOfLength(260)},
        {PathOfLength(261), "\\\\?\\" + PathOfLength(261)},
        {"\\\\srv\\sh\\" + std::string(300, 'u'), "\\\\?\\UNC\\srv\\sh\\" + std::string(300, 'u')},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(fs::ExtendedPath(row.in), Of(row.out)) << row.in.substr(0, 40) << " (" << row.in.size() << ")";
        EXPECT_EQ(fs::PlainPath(fs::ExtendedPath(row.in)), fs::PlainPath(Of(row.out)));
    }
    const std::string aux = dir / "aux.txt";  // a file of the device's name
    HANDLE h = fs::Open(aux, GENERIC_WRITE, 0, CREATE_NEW, 0);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << GetLastError();
    CloseHandle(h);
    std::vector<fs::Entry> entries;
    EXPECT_TRUE(fs::List(dir.Path(), "aux.txt", entries) && entries.size() == 1u);
    EXPECT_TRUE(fs::IsFile(aux));
    EXPECT_TRUE(fs::Delete(aux));
}

TEST(FileSystem, NamesAreNeverBentIntoLookAlikes) {
    const struct {
        UINT codePage;
        std::wstring text;
        bool exact;
        std::string out;
    } rows[] = {
        {1252, L"\u015Cample.txt", false, "?ample.txt"},  // best fit would make "Sample.txt"
        {1252, L"caf\u00E9", true, "caf\xE9"},
        {1252, L"\u65E5\u672C", false, "??"},
        {932, L"\u65E5\u672C", true, "\x93\xFA\x96\x7B"},
        {932, L"r\u00E9sum\u00E9", false, "r?sum?"},  // no "resume"
        {CP_UTF8, L"\u65E5-\u0436-\U0001F600", true, "\xE6\x97\xA5-\xD0\xB6-\xF0\x9F\x98\x80"},
        {CP_UTF8, std::wstring(L"a\xD800" L"b"), false, ""},  // an unpaired surrogate
    };
    for (const auto& row : rows) {
        std::string out;
        EXPECT_EQ(fs::NarrowExact(row.text, out, row.codePage), row.exact) << row.codePage;
        if (!row.out.empty()) {
            EXPECT_EQ(out, row.out) << row.codePage;
        }
        EXPECT_EQ(out.find_first_of("\\/:*\"<>|"), std::string::npos);
    }
}

TEST(FileSystem, LongPathsAndTrailingDotsOnTheDisk) {
    TempDir dir("C:\\");
    CurrentFolderScope scope;
    for (size_t length : {300u, 1000u}) {
        // A folder chain of that length, made, entered, listed, linked in.
        std::string folder = dir.MakeDir(std::to_string(length));
        while (folder.size() + 60 < length) {
            folder += "\\" + std::string(50, 'x') + "-\u00e9\u65e5";
            ASSERT_TRUE(fs::CreateFolder(folder)) << GetLastError();
        }
        const std::string source = folder + "\\source.txt", link = folder + "\\link \u0436.txt.";
        HANDLE h = fs::Open(source, GENERIC_WRITE, 0, CREATE_NEW, 0);
        ASSERT_NE(h, INVALID_HANDLE_VALUE) << GetLastError();
        CloseHandle(h);
        ASSERT_TRUE(fs::SetCurrentFolder(folder)) << length;
        EXPECT_EQ(fs::CurrentFolder(), folder);
        // The system's own holds no more than it can (Wine overruns its buffer).
        EXPECT_LT(GetCurrentDirectoryW(0, nullptr), static_cast<DWORD>(MAX_PATH));
        DWORD reserved = 0;
        ASSERT_TRUE(fs::CreateHardLink("link \u0436.txt.", "source.txt"));  // relative to the long folder
        ASSERT_TRUE(fs::Delete(link));
        ASSERT_EQ(CreateLink(link.c_str(), source.c_str(), &reserved), 1) << GetLastError();
        EXPECT_EQ(SharedLinks(fs::ExtendedPath(source), fs::ExtendedPath(link)), 2u);
        std::vector<fs::Entry> entries;
        ASSERT_TRUE(fs::List(folder, "*", entries));
        std::vector<std::string> names;
        for (const fs::Entry& e : entries) names.push_back(e.name);
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{".", "..", "link \u0436.txt.", "source.txt"}));
        EXPECT_EQ(fs::LongName(link), link);
        ASSERT_TRUE(fs::Move(link, link + ".moved"));
        EXPECT_TRUE(fs::IsFile(link + ".moved"));
        EXPECT_FALSE(fs::IsFile(link));
        EXPECT_TRUE(fs::Delete(link + ".moved"));
        EXPECT_EQ(IdentityOf(fs::ExtendedPath(source)).links, 1u);
    }
}

// Whether two names count as one file when the batch window replaces: only
// where both identities are real ones.
TEST(FileSystem, TwoNamesAreOneFileOnlyByARealIdentity) {
    const TFileIdentity file{true, FILE_ATTRIBUTE_ARCHIVE, 7, 42, true};
    auto with = [&](auto change) {
        TFileIdentity i = file;
        change(i);
        return i;
    };
    const struct {
        const char* what;
        TFileIdentity other;
        bool one;
    } rows[] = {
        {"the same volume and index", file, true},
        {"another index", with([](TFileIdentity& i) { i.Index = 43; }), false},
        {"another volume", with([](TFileIdentity& i) { i.Volume = 8; }), false},
        {"a symbolic link to it", with([](TFileIdentity& i) { i.Attributes |= FILE_ATTRIBUTE_REPARSE_POINT; }), false},
        {"unreadable", TFileIdentity{}, false},
        {"index 0", with([](TFileIdentity& i) { i.Index = 0; }), false},
        {"indices that do not last", with([](TFileIdentity& i) { i.StableIndex = false; }), false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(NamesOfOneFile(row.other, file), row.one) << row.what;
        EXPECT_EQ(NamesOfOneFile(file, row.other), row.one) << row.what;
    }
    TFileIdentity zero = with([](TFileIdentity& i) { i.Index = 0; });
    EXPECT_FALSE(NamesOfOneFile(zero, zero));
    TFileIdentity fat = with([](TFileIdentity& i) { i.StableIndex = false; });
    EXPECT_FALSE(NamesOfOneFile(fat, fat));
}
