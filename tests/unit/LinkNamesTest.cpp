// Every name of a file: the walk over a real tree, and the system's own
// enumeration through a stand-in of its two functions (Wine 8 lacks them).
#include "fs/FileSystem.h"
#include "fs/LinkNames.h"
#include "support/Files.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace testsupport;

namespace {

using Names = std::vector<std::wstring>;

Names Sorted(Names names) {
    std::sort(names.begin(), names.end());
    return names;
}

struct Recorder : fs::NameListener {
    DWORD counted = 0;
    Names found, unreadable;
    size_t stopAfter = SIZE_MAX;  // folders read before Cancel
    void Counted(DWORD links) override { counted = links; }
    void NameFound(const std::wstring& path) override { found.push_back(path); }
    void FolderUnreadable(const std::wstring& folder) override { unreadable.push_back(folder); }
    bool Continue(const std::wstring&, size_t read) override { return read < stopAfter; }
};

// A folder made and, while the object lives, held open without sharing, so
// nobody else can read it.
struct LockedFolder {
    explicit LockedFolder(const std::wstring& path) {
        CreateDirectoryW(path.c_str(), nullptr);
        handle = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    }
    ~LockedFolder() { CloseHandle(handle); }
    HANDLE handle;
};

// Stand-ins of FindFirstFileNameW / FindNextFileNameW that hand out a table
// of names.
struct StandIn {
    static inline Names table;
    static inline size_t next = 0;
    static inline std::wstring asked;
    static inline HANDLE find = INVALID_HANDLE_VALUE;

    static bool Put(DWORD* size, PWSTR out) {
        const std::wstring& name = table[next];
        if (*size <= name.size()) {
            *size = static_cast<DWORD>(name.size() + 1);
            SetLastError(ERROR_MORE_DATA);
            return false;
        }
        wcscpy(out, name.c_str());
        *size = static_cast<DWORD>(name.size() + 1);
        ++next;
        return true;
    }
    static HANDLE WINAPI First(LPCWSTR path, DWORD, LPDWORD size, PWSTR out) {
        asked = path;
        next = 0;
        if (!Put(size, out)) return INVALID_HANDLE_VALUE;
        // A real find handle, which the finder closes as the system's.
        WIN32_FIND_DATAW fd;
        return find = FindFirstFileW(path, &fd);
    }
    static BOOL WINAPI Next(HANDLE h, LPDWORD size, PWSTR out) {
        if (h != find) return SetLastError(ERROR_INVALID_HANDLE), FALSE;
        if (next == table.size()) return SetLastError(ERROR_HANDLE_EOF), FALSE;
        return Put(size, out);
    }
};

}  // namespace

// Three names in a tree (the end-to-end test adds deep and Unicode ones): the
// file's, one beside it, one in a folder of the top; a folder nobody may
// read lies on the way.
TEST(LinkNames, TheWalkFindsEveryNameAndNamesWhatItCouldNotRead) {
    TempDir dir("C:\\");
    const std::wstring top = Wide(dir.Path());
    dir.MakeDir("a");
    dir.MakeDir("a\\b");
    dir.MakeDir("c");
    const Names names = {top + L"\\a\\b\\file.txt", top + L"\\a\\b\\other name.txt", top + L"\\c\\file.txt"};
    WriteFile(dir / "a\\b\\file.txt", "three names");
    for (size_t i = 1; i < names.size(); ++i) ASSERT_TRUE(fs::CreateHardLink(fs::Narrow(names[i]), dir / "a\\b\\file.txt"));
    dir.MakeFile("c\\not linked.txt", "three names");
    LockedFolder locked(top + L"\\0 locked");
    ASSERT_NE(locked.handle, INVALID_HANDLE_VALUE);

    auto finder = fs::MakeNameFinder({});
    Recorder seen;
    fs::NameSearch search = finder->Find(names[0], seen);
    EXPECT_EQ(search.Error, 0u);
    EXPECT_EQ(search.Links, 3u);
    EXPECT_EQ(seen.counted, 3u);
    EXPECT_EQ(Sorted(search.Names), Sorted(names));
    EXPECT_EQ(seen.found, search.Names);
    EXPECT_EQ(search.Unreadable, Names{top + L"\\0 locked"});
    EXPECT_EQ(seen.unreadable, search.Unreadable);
    EXPECT_EQ(search.Missing(), 0u);
    EXPECT_FALSE(search.Cancelled);

    // Cancelled after the file's own folder: what was found stays, the rest is missing.
    seen = Recorder{};
    seen.stopAfter = 1;
    search = finder->Find(names[0], seen);
    EXPECT_TRUE(search.Cancelled);
    EXPECT_EQ(Sorted(search.Names), Sorted({names[0], names[1]}));
    EXPECT_EQ(search.Missing(), 1u);

    search = finder->Find(top + L"\\gone.txt", seen);
    EXPECT_EQ(search.Error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(LinkNames, AFileOfOneNameIsThatNameWithoutAWalk) {
    TempDir dir;
    const std::wstring only = Wide(WriteFile(dir / "only.txt", "one name"));
    Recorder r;
    r.stopAfter = 0;  // any folder read would cancel
    const fs::NameSearch s = fs::MakeNameFinder({})->Find(only, r);
    EXPECT_EQ(s.Names, Names{only});
    EXPECT_FALSE(s.Cancelled);
    EXPECT_EQ(s.Missing(), 0u);
}

TEST(LinkNames, TheSystemsEnumerationIsAskedWhereItExists) {
    TempDir dir("C:\\");
    const std::wstring file = Wide(dir.MakeFile("file.txt"));
    ASSERT_TRUE(CreateHardLinkW((file + L"2").c_str(), file.c_str(), nullptr));
    // The first and the last outgrow the buffer before them.
    const std::wstring longName = L"\\" + std::wstring(120, L'l') + L"\\" + std::wstring(200, L'n') + L".txt";
    const std::wstring longer = L"\\\u0436\\" + std::wstring(400, L'\u65E5') + L".txt";
    StandIn::table = {longName, L"\\a\\file.txt", longer};

    auto finder = fs::MakeNameFinder({StandIn::First, StandIn::Next});
    Recorder seen;
    fs::NameSearch search = finder->Find(file, seen);
    EXPECT_EQ(search.Error, 0u);
    EXPECT_EQ(fs::PlainPath(StandIn::asked), file);
    EXPECT_EQ(search.Links, 2u);  // the file's own count, not the stand-in's
    EXPECT_EQ(search.Names, (Names{L"C:" + longName, L"C:\\a\\file.txt", L"C:" + longer}));
    EXPECT_EQ(seen.found, search.Names);
    EXPECT_TRUE(search.Unreadable.empty());
}
