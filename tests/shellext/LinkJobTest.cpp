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

TEST(Volumes, HardLinksByTheFlagOrTheExactNameNtfs) {
    EXPECT_TRUE(HoldsHardLinks(FILE_SUPPORTS_HARD_LINKS, L"ReFS"));
    EXPECT_TRUE(HoldsHardLinks(0, L"NTFS"));
    EXPECT_FALSE(HoldsHardLinks(0, L"ntfs"));  // as the program's volume list judges
    EXPECT_FALSE(HoldsHardLinks(FILE_CASE_SENSITIVE_SEARCH | FILE_UNICODE_ON_DISK, L"FAT32"));
}
