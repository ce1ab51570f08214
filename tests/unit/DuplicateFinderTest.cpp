#include "app/DuplicateFinder.h"
#include "support/Files.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

// A file of a test tree: its bytes, how many minutes old it is, and the file
// it is another name of.
struct Planned {
    std::string name, content;
    int age = 0;
    std::string nameOf = "";
};

void Build(TempDir& dir, const std::vector<Planned>& files) {
    for (const Planned& f : files) {
        const std::string path = dir / f.name;
        for (size_t at = f.name.find('\\'); at != std::string::npos; at = f.name.find('\\', at + 1))
            CreateDirectoryA((dir / f.name.substr(0, at)).c_str(), nullptr);
        if (!f.nameOf.empty()) {
            ASSERT_TRUE(CreateHardLinkA(path.c_str(), (dir / f.nameOf).c_str(), nullptr)) << f.name;
            continue;
        }
        WriteFile(path, f.content);
        SetAge(path, f.age);
    }
}

// The groups as names below the folder, the kept file first, the names of
// one file joined by "+".
std::vector<std::vector<std::string>> Shown(const std::vector<TDupGroup>& groups, const TempDir& dir) {
    std::vector<std::vector<std::string>> out;
    for (const TDupGroup& g : groups) {
        std::vector<std::string> files;
        for (size_t i = 0; i < g.Files.size(); ++i) {
            std::string names;
            for (const std::string& n : g.Files[i].Names) names += (names.empty() ? "" : "+") + n.substr(dir.Path().size() + 1);
            if (i == g.Kept) files.insert(files.begin(), names);
            else files.push_back(names);
        }
        out.push_back(files);
    }
    return out;
}

const std::string kBig(100 * 1024, 'A');  // longer than the first block read
std::string Changed(std::string s) {
    s.back() ^= 1;
    return s;
}

}  // namespace

// A read-only copy left alone: the end-to-end test.
TEST(DuplicateFinder, GroupsFilesOfEqualBytesOnly) {
    struct Case {
        const char* what;
        std::vector<Planned> files;
        std::string folders;  // ";"-separated, below the test folder
        std::vector<std::vector<std::string>> groups;
        TDupSummary summary;
    };
    const std::vector<Case> cases = {
        {"copies in several folders, the oldest kept",
         {{"b\\x", kBig, 5}, {"a\\x", kBig, 9}, {"c\\x", kBig, 1}, {"d\\y", "yy", 3}, {"e\\y", "yy", 4}},
         ".",
         {{"a\\x", "b\\x", "c\\x"}, {"e\\y", "d\\y"}},
         {2, 3, 2 * kBig.size() + 2}},
        {"the last byte differs, before and beyond the first block",
         {{"s1", "0123456789"}, {"s2", Changed("0123456789")}, {"b1", kBig}, {"b2", Changed(kBig)}},
         ".",
         {},
         {}},
        {"empty files and a unique size", {{"e1", ""}, {"e2", ""}, {"u", "unique"}}, ".", {}, {}},
        {"names of one file are one file", {{"p1", "pp"}, {"p2", "", 0, "p1"}}, ".", {}, {}},
        {"a linked pair and its copy: one duplicate, its bytes freed",
         {{"l1", "LLL", 9}, {"sub\\l2", "", 0, "l1"}, {"l3", "LLL", 1}},
         ".",
         {{"l1+sub\\l2", "l3"}},
         {1, 1, 3}},
        {"a copy with a name outside the search frees nothing",
         {{"in\\k", "KK", 9}, {"in\\c", "KK", 1}, {"out\\c2", "", 0, "in\\c"}},
         "in",
         {{"in\\k", "in\\c"}},
         {1, 1, 0}},
        {"equal times: the shortest path is kept", {{"deep\\q", "QQ", 4}, {"q", "QQ", 4}}, ".", {{"q", "deep\\q"}}, {1, 1, 2}},
        {"folders named twice or inside another are searched once",
         {{"a\\x", "XX", 9}, {"a\\b\\x", "XX", 1}},
         "a\\b;a; a ;a\\b\\",
         {{"a\\x", "a\\b\\x"}},
         {1, 1, 2}},
    };
    for (const Case& c : cases) {
        TempDir dir;
        Build(dir, c.files);
        std::vector<std::string> folders;
        for (const std::string& f : SplitFolders(c.folders)) folders.push_back(dir / f);
        TDupProgress progress;
        TSearchResult r = FindDuplicates(folders, progress);
        EXPECT_EQ(r.Refusal, "") << c.what;
        EXPECT_EQ(Shown(r.Groups, dir), c.groups) << c.what;
        TDupSummary s = Summarize(r.Groups);
        EXPECT_EQ(std::make_tuple(s.Groups, s.Duplicates, s.Bytes), std::make_tuple(c.summary.Groups, c.summary.Duplicates, c.summary.Bytes))
            << c.what;
    }
}

TEST(DuplicateFinder, ChoicesOfTheUserDecideWhatIsLinked) {
    TDupGroup g;
    g.Files.resize(3);
    for (size_t i = 0; i < 3; ++i) g.Files[i].Size = 10, g.Files[i].Names = {"n" + std::to_string(i)};
    g.Files[2].Attributes = FILE_ATTRIBUTE_HIDDEN;
    struct Case {
        size_t kept;
        std::vector<bool> checked;
        std::vector<TDupRole> roles;
    };
    using R = TDupRole;
    for (const Case& c : std::vector<Case>{
             {0, {true, true, true}, {R::Kept, R::Duplicate, R::LeftAlone}},
             {2, {true, true, true}, {R::LeftAlone, R::LeftAlone, R::Kept}},
             {0, {true, false, true}, {R::Kept, R::Unticked, R::LeftAlone}},
             {0, {false, true, true}, {R::Kept, R::Unticked, R::Unticked}},  // the kept file unticked: the group
         }) {
        g.Kept = c.kept;
        for (size_t i = 0; i < 3; ++i) g.Files[i].Checked = c.checked[i];
        for (size_t i = 0; i < 3; ++i) EXPECT_EQ(RoleOf(g, i), c.roles[i]) << "kept " << c.kept << " file " << i;
    }
}

TEST(DuplicateFinder, NoFileGetsMoreNamesThanTheSystemAllows) {
    TempDir dir;
    Build(dir, {{"in\\old", "MM", 9}, {"in\\b", "MM", 5}, {"in\\c", "MM", 3}, {"in\\d", "MM", 1}});
    // The oldest has names outside the search up to one short of the limit.
    // Spread over folders: Wine reads a whole folder for each new name.
    for (DWORD i = 1; i < kMaxLinks - 1; ++i) {
        const std::string folder = dir / ("out" + std::to_string(i / 32));
        CreateDirectoryA(folder.c_str(), nullptr);
        ASSERT_TRUE(CreateHardLinkA((folder + "\\" + std::to_string(i)).c_str(), (dir / "in\\old").c_str(), nullptr)) << i;
    }
    TDupProgress progress;
    TSearchResult r = FindDuplicates({dir / "in"}, progress);
    EXPECT_EQ(Shown(r.Groups, dir), (std::vector<std::vector<std::string>>{{"in\\c", "in\\d"}, {"in\\old", "in\\b"}}));
    TLinkResult linked = LinkDuplicates(r.Groups, progress);
    EXPECT_EQ(linked.Linked, 2u);
    EXPECT_TRUE(linked.Problems.empty());
    EXPECT_EQ(IdentityOf(dir / "in\\old").links, kMaxLinks);
    EXPECT_EQ(SharedLinks(dir / "in\\c", dir / "in\\d"), 2u);
}

TEST(DuplicateFinder, LinksOnlyWhatIsUnchangedSinceTheSearch) {
    TempDir dir;
    Build(dir, {{"keep", kBig, 9}, {"same", kBig, 5}, {"bytes", kBig, 4}, {"time", kBig, 3}, {"gone", kBig, 2}});
    TDupProgress progress;
    TSearchResult r = FindDuplicates({dir.Path()}, progress);
    ASSERT_EQ(r.Groups.size(), 1u);
    // Other bytes under the old time; the old bytes under a new time.
    WriteFile(dir / "bytes", Changed(kBig));
    SetAge(dir / "bytes", 4);
    SetAge(dir / "time", 0);
    DeleteFileA((dir / "gone").c_str());
    TLinkResult l = LinkDuplicates(r.Groups, progress);
    EXPECT_EQ(l.Linked, 1u);
    EXPECT_EQ(l.Freed, kBig.size());
    EXPECT_EQ(SharedLinks(dir / "keep", dir / "same"), 2u);
    std::vector<std::string> left;
    for (const TDupProblem& p : l.Problems) left.push_back(p.Path.substr(dir.Path().size() + 1) + (p.Sentence.empty() ? " code" : ""));
    EXPECT_EQ(left, (std::vector<std::string>{"bytes", "time", "gone code"}));
    EXPECT_EQ(ReadFile(dir / "bytes"), Changed(kBig));
    EXPECT_EQ(ReadFile(dir / "time"), kBig);
    EXPECT_EQ(IdentityOf(dir / "time").links, 1u);
    EXPECT_FALSE(FileExists(dir / "gone"));
    // Nothing was left aside.
    WIN32_FIND_DATAA fd;
    EXPECT_EQ(FindFirstFileA((dir / "*.quenmoor-replaced").c_str(), &fd), INVALID_HANDLE_VALUE);
}

TEST(DuplicateFinder, RefusesFoldersItCannotLinkTogether) {
    TempDir dir, other(OtherVolume);
    struct Case {
        std::vector<std::string> folders;
        std::string refusal;
    } cases[] = {
        {{}, "Choose the folders to search"},
        {{dir / "missing"}, "This folder does not exist:"},
        {{dir.Path(), other.Path()}, "Hard links cannot join two volumes. Choose folders on one volume."},
    };
    for (const Case& c : cases) {
        TDupProgress progress;
        EXPECT_EQ(FindDuplicates(c.folders, progress).Refusal, c.refusal);
    }
}
