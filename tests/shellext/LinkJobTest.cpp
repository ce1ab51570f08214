// The extension's job and its rules, without COM: numbering, stopping, and
// which volumes can hold hard links.
#include "shellext/LinkJob.h"
#include "shellext/Volumes.h"
#include "support/Files.h"

#include <gtest/gtest.h>

using namespace tessivar;
using namespace testsupport;

TEST(LinkJob, NamesAreNumberedAsExplorerNumbersCopies) {
    struct Row {
        const wchar_t* name;
        bool folder;
        const wchar_t* second;
    } rows[] = {
        {L"a.txt", false, L"a (2).txt"},
        {L"archive.tar.gz", false, L"archive.tar (2).gz"},
        {L"README", false, L"README (2)"},
        {L".profile", false, L".profile (2)"},
        {L"v1.2", true, L"v1.2 (2)"},
    };
    for (const Row& row : rows) EXPECT_EQ(NumberedName(row.name, 2, row.folder), row.second) << row.name;
    EXPECT_EQ(NumberedName(L"a.txt", 12, false), L"a (12).txt");
}

TEST(LinkJob, ACancelKeepsWhatWasLinkedAndStartsNothingMore) {
    // Says cancelled once a number of items have been started.
    class CancelAfter : public TProgress {
    public:
        explicit CancelAfter(size_t n) : left_(n) {}
        void Step(size_t, size_t total, const std::wstring&) override {
            if (total && left_) --left_;
        }
        bool Cancelled() override { return left_ == 0; }

    private:
        size_t left_;
    };
    TempDir dir;
    std::wstring target = Wide(dir.MakeDir("target"));
    std::vector<TSource> sources;
    for (int i = 0; i < 10; ++i) sources.push_back({Wide(dir.MakeFile("f" + std::to_string(i))), false});
    TLinkJob job(TDropCommand::Links, sources, target);
    CancelAfter progress(4);
    job.Run(progress);
    EXPECT_TRUE(job.WasCancelled());
    EXPECT_TRUE(job.Failures().empty());
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(SharedLinks(dir / ("f" + std::to_string(i)), dir / ("target\\f" + std::to_string(i))), i < 4 ? 2u : 0u) << i;
}

namespace {
class Quiet : public TProgress {
    void Step(size_t, size_t, const std::wstring&) override {}
    bool Cancelled() override { return false; }
};
}  // namespace

// Two spellings of one folder (here its long and its short name; a junction,
// a mount point or a drive alias alike) are one folder.
TEST(LinkJob, AFolderIsKnownByWhatItIsNotByItsSpelling) {
    TempDir dir;
    dir.MakeDir("parent folder name");
    std::wstring source = Wide(dir.MakeDir("parent folder name\\source folder name"));
    std::wstring x = Wide(dir.MakeFile("parent folder name\\source folder name\\x.txt"));
    auto shortName = [](const std::wstring& path) {
        wchar_t out[MAX_PATH] = {};
        GetShortPathNameW(path.c_str(), out, MAX_PATH);
        return std::wstring(out);
    };
    auto there = [](const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; };
    std::wstring parent = source.substr(0, source.rfind(L'\\'));
    ASSERT_NE(shortName(parent), parent);

    // Onto itself: refused; it would go inside what it copies.
    TLinkJob onItself(TDropCommand::Clone, {{source, true}}, shortName(source));
    Quiet quiet;
    onItself.Run(quiet);
    std::vector<std::pair<std::wstring, DWORD>> failures;
    for (const TFailure& f : onItself.Failures()) failures.emplace_back(f.Name, f.Code);
    EXPECT_EQ(failures, (std::vector<std::pair<std::wstring, DWORD>>{{source, ErrorTargetIsSource}}));
    EXPECT_FALSE(there(source + L"\\source folder name"));
    // Onto its parent: beside itself, never merged into itself.
    TLinkJob onParent(TDropCommand::Clone, {{source, true}}, shortName(parent));
    onParent.Run(quiet);
    EXPECT_TRUE(onParent.Failures().empty());
    EXPECT_EQ(SharedLinks(x, parent + L"\\source folder name (2)\\x.txt"), 2u);
    EXPECT_FALSE(there(source + L"\\x (2).txt"));

    // What is at the name already, by the attributes the job reads.
    struct Row {
        const char* what;
        DWORD attributes;
        bool isSource, merges;
    } rows[] = {
        {"a folder", FILE_ATTRIBUTE_DIRECTORY, false, true},
        {"a junction or a folder link", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT, false, false},
        {"the source itself", FILE_ATTRIBUTE_DIRECTORY, true, false},
        {"a file", FILE_ATTRIBUTE_ARCHIVE, false, false},
    };
    for (const Row& row : rows) EXPECT_EQ(MergesInto(row.attributes, row.isSource), row.merges) << row.what;
}

TEST(Volumes, HardLinksByTheFlagOrTheExactNameNtfs) {
    EXPECT_TRUE(HoldsHardLinks(FILE_SUPPORTS_HARD_LINKS, L"ReFS"));
    EXPECT_TRUE(HoldsHardLinks(0, L"NTFS"));
    EXPECT_FALSE(HoldsHardLinks(0, L"ntfs"));  // as the program's volume list judges
    EXPECT_FALSE(HoldsHardLinks(FILE_CASE_SENSITIVE_SEARCH | FILE_UNICODE_ON_DISK, L"FAT32"));
}
