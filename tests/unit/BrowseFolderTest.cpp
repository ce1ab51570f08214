// Path helpers of the folder browser.
#include "controls/BrowseFolder.h"
#include "support/Files.h"

#include <gtest/gtest.h>

using namespace testsupport;

TEST(StripTrailingBackslash, DropsOneBackslashButKeepsDriveRoots) {
    const std::pair<std::string, std::string> cases[] = {
        {"C:\\Dir\\", "C:\\Dir"}, {"C:\\Dir\\\\", "C:\\Dir\\"}, {"C:\\Dir", "C:\\Dir"},
        {"C:\\", "C:\\"},         {"z:\\", "z:\\"},             {"1:\\", "1:"},
        {"\\", "\\"},             {"", ""},                     {"\\\\server\\share\\", "\\\\server\\share"},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(StripTrailingBackslash(in), out) << in;
}

TEST(IsExistingFolder, OnlyFoldersThatAreThere) {
    TempDir dir;
    std::string sub = dir.MakeDir("Sub"), file = dir.MakeFile("File.txt");
    for (const std::string& path : {sub, sub + "\\", std::string("C:\\")}) EXPECT_TRUE(IsExistingFolder(path)) << path;
    for (const std::string& path : {file, dir / "Missing", std::string(), sub + "\\" + std::string(300, 'x')})
        EXPECT_FALSE(IsExistingFolder(path)) << path;
}
