#include "app/LinkLib.h"
#include "support/Files.h"

#include <gtest/gtest.h>

using namespace testsupport;

TEST(CreateLink, MakesASecondNameForTheSameFile) {
    TempDir dir;
    std::string source = dir.MakeFile("a.dat", "abc");
    DWORD reserved = 0xDEADBEEF;
    EXPECT_EQ(CreateLink((dir / "b.dat").c_str(), source.c_str(), &reserved), 1);
    EXPECT_EQ(reserved, 0xDEADBEEFu);  // the third argument is not touched
    FileIdentity a = IdentityOf(source), b = IdentityOf(dir / "b.dat");
    ASSERT_TRUE(a.ok && b.ok);
    EXPECT_EQ(a.index, b.index);
    EXPECT_EQ(a.links, 2u);
    EXPECT_EQ(CreateLink((dir / "c.dat").c_str(), source.c_str(), nullptr), 1);
    EXPECT_EQ(IdentityOf(source).links, 3u);
}

TEST(CreateLink, FailsWithZeroAndTheSystemsOwnLastError) {
    TempDir dir;
    std::string source = dir.MakeFile("a.dat");
    std::string taken = dir.MakeFile("taken.dat", "keep");
    struct Case {
        std::string target, existing;
    };
    const Case cases[] = {
        {taken, source},                         // the new name exists
        {dir / "new.dat", dir / "missing.dat"},  // no such file
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target + " <- " + c.existing);
        SetLastError(0);
        BOOL expected = CreateHardLinkA(c.target.c_str(), c.existing.c_str(), nullptr);
        DWORD expectedCode = GetLastError();
        ASSERT_FALSE(expected);
        SetLastError(0);
        EXPECT_EQ(CreateLink(c.target.c_str(), c.existing.c_str(), nullptr), 0);
        EXPECT_EQ(GetLastError(), expectedCode);
        EXPECT_NE(expectedCode, 0u);
    }
    EXPECT_EQ(ReadFile(taken), "keep");
    EXPECT_EQ(IdentityOf(source).links, 1u);
}
