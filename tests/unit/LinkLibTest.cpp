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
    std::string source = dir.MakeFile("a.dat"), taken = dir.MakeFile("taken.dat", "keep");
    // The new name exists; no such file.
    for (auto [target, existing] : {std::pair{taken, source}, {dir / "new.dat", dir / "missing.dat"}}) {
        SetLastError(0);
        ASSERT_FALSE(CreateHardLinkA(target.c_str(), existing.c_str(), nullptr)) << target;
        const DWORD expected = GetLastError();
        SetLastError(0);
        EXPECT_EQ(CreateLink(target.c_str(), existing.c_str(), nullptr), 0) << target;
        EXPECT_EQ(GetLastError(), expected) << target;
        EXPECT_NE(expected, 0u);
    }
    EXPECT_EQ(ReadFile(taken), "keep");
    EXPECT_EQ(IdentityOf(source).links, 1u);
}
