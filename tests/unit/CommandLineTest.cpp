#include "app/Startup.h"
#include "fs/FileSystem.h"
#include "support/Files.h"

#include <gtest/gtest.h>

using testsupport::TempDir;
using Args = std::vector<std::string>;
using Names = std::vector<std::wstring>;

TEST(CommandLine, SplitsAsTheRuntimeDoes) {
    struct Row {
        const char* line;
        Args args;
    } rows[] = {
        {"ombrel.exe", {}},
        {"\"C:\\Program Files\\Quenmoor\\ombrel.exe\" a.txt", {"a.txt"}},
        {"ombrel.exe  \"C:\\long folder\\a file.txt\"\tb.txt ", {"C:\\long folder\\a file.txt", "b.txt"}},
        {"ombrel.exe C:\\x\\\"y z\"", {"C:\\x\"y", "z"}},  // an odd run of backslashes escapes the quote
        {"ombrel.exe \"C:\\dir\\\\\" next", {"C:\\dir\\", "next"}},
        {"ombrel.exe a\"b c\"d", {"ab cd"}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(SplitCommandLine(row.line), row.args) << row.line;
        Names wide;
        for (const std::string& arg : row.args) wide.push_back(fs::Widen(arg));
        EXPECT_EQ(SplitCommandLine(fs::Widen(row.line)), wide) << row.line;
    }
}

TEST(CommandLine, ReadsListsInUtf8AndDeletesOnlyTheExtensionsOwn) {
    struct Row {
        const char* what;
        const char* content;
        Names names;
    } rows[] = {
        {"byte-order mark, CR LF", "\xEF\xBB\xBF" "C:\\a b.txt\r\nC:\\c.txt\r\n", {L"C:\\a b.txt", L"C:\\c.txt"}},
        {"LF, empty lines, no last end", "a\n\n\u65E5\u672C-\u0436-\U0001F600.txt", {L"a", L"\u65E5\u672C-\u0436-\U0001F600.txt"}},
        {"nothing", "\xEF\xBB\xBF\r\n", {}},
    };
    for (const Row& row : rows) EXPECT_EQ(ListedNames(row.content), row.names) << row.what;

    // The extension's pattern directly in the temporary folder goes; the
    // same name elsewhere, or another name there, stays.
    TempDir dir;
    std::wstring temporary = fs::TemporaryFolder(), own = temporary + L"Quenmoor-0123ABCD.lst";
    std::wstring mine = temporary + L"Quenmoor-0123ABCD.txt", nested = fs::Widen(dir / "Quenmoor-0123ABCD.lst");
    for (const std::wstring& list : {own, mine, nested}) testsupport::WriteFile(fs::Narrow(list), "\xEF\xBB\xBFx\r\n");
    Names names = CommandLineNames(L"ombrel.exe a /list:\"" + own + L"\" \"/LIST:" + mine + L"\" /list:" + nested +
                                   L" /list:" + temporary + L"none.lst /list:");
    EXPECT_EQ(names, (Names{L"a", L"x", L"x", L"x", L"/list:"}));
    EXPECT_EQ(GetFileAttributesW(own.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(DeleteFileW(mine.c_str()));
    EXPECT_TRUE(DeleteFileW(nested.c_str()));
}

TEST(CommandLine, RefusesNamesTheCodePageCannotCarryRatherThanALookAlike) {
    std::vector<std::string> refused;
    EXPECT_EQ(CarriedNames({L"\u015Cample.txt", L"Sample.txt", L"M\u00FCller.txt"}, refused, 1252),
              (Args{"Sample.txt", "M\xFCller.txt"}));
    // UTF-8, the program's own, carries all but half a character: the
    // end-to-end names test.
    EXPECT_EQ(refused, Args{"?ample.txt"});
}

TEST(CommandLine, KeepsExistingFilesInOrderAsFullLongPaths) {
    TempDir dir;
    std::string folder = dir.MakeDir("a folder"), spaced = dir.MakeFile("a folder\\with blanks.txt");
    std::string longName = dir.MakeFile(std::string(150, 'n') + ".dat"), plain = dir.MakeFile("plain.txt");
    std::string unicode = dir.MakeFile("\xE6\x97\xA5\xE6\x9C\xAC-\xD0\xB6-\xF0\x9F\x98\x80.txt");
    // Deeper than any fixed buffer of the A calls held.
    std::string deep = dir.Path();
    for (int i = 0; i < 5; ++i) fs::CreateFolder(deep += "\\" + std::string(120, 'd'));
    CloseHandle(fs::Open(deep += "\\deep.txt", GENERIC_WRITE, 0, CREATE_NEW, 0));
    // A name ending in a dot, beside the name without it.
    std::string dotted = dir / "trail.";
    for (const std::string& name : {dotted, dir / "trail"}) CloseHandle(fs::Open(name, GENERIC_WRITE, 0, CREATE_NEW, 0));
    char shortName[MAX_PATH] = {};
    GetShortPathNameA(spaced.c_str(), shortName, MAX_PATH);
    SetCurrentDirectoryA(dir.Path().c_str());

    std::vector<std::string> refused;
    std::vector<std::string> files = ExistingFiles(CarriedNames(
        CommandLineNames(fs::Widen("ombrel.exe \"" + longName + "\" missing.txt \"" + folder + "\" PLAIN.TXT \"" +
                                   shortName + "\" \"" + spaced + "\" " + unicode + " " + deep + " " + dotted)),
        refused));
    SetCurrentDirectoryA("C:\\");
    // Missing names and folders are dropped; relative and short names, in any
    // case, become the full long paths the lists show.
    EXPECT_EQ(files, (Args{longName, plain, spaced, spaced, unicode, deep, dotted}));
    EXPECT_TRUE(refused.empty());
    // The temporary folder's removal takes no long paths, nor names ending in a dot.
    fs::Delete(dotted);
    fs::Delete(deep);
    for (deep.resize(deep.rfind('\\')); deep.size() > dir.Path().size(); deep.resize(deep.rfind('\\')))
        RemoveDirectoryW(fs::ExtendedPath(deep).c_str());
}
