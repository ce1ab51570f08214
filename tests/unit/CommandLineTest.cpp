#include "app/Startup.h"
#include "support/Files.h"

#include <gtest/gtest.h>

using testsupport::TempDir;
using Args = std::vector<std::string>;

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
    for (const Row& row : rows) EXPECT_EQ(SplitCommandLine(row.line), row.args) << row.line;
}

TEST(CommandLine, KeepsExistingFilesInOrderAsFullLongPaths) {
    TempDir dir;
    std::string folder = dir.MakeDir("a folder"), spaced = dir.MakeFile("a folder\\with blanks.txt");
    std::string longName = dir.MakeFile(std::string(150, 'n') + ".dat"), plain = dir.MakeFile("plain.txt");
    char shortName[MAX_PATH] = {};
    GetShortPathNameA(spaced.c_str(), shortName, MAX_PATH);
    SetCurrentDirectoryA(dir.Path().c_str());

    std::vector<std::string> files =
        ExistingFiles(SplitCommandLine("ombrel.exe \"" + longName + "\" missing.txt \"" + folder +
                                       "\" plain.txt \"" + shortName + "\" \"" + spaced + "\""));
    SetCurrentDirectoryA("C:\\");
    // Missing names and folders are dropped; relative and short names become
    // the full long paths the lists show.
    EXPECT_EQ(files, (Args{longName, plain, spaced, spaced}));
}
