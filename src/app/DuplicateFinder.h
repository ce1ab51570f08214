// The duplicate search and the linking run, apart from any window, so the
// duplicates window, the tests and the benchmark drive the same code. Both
// run on the caller's thread and read files on a pool of their own.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

// One file: all the names the search found of it share its bytes.
struct TDupFile {
    std::vector<std::string> Names;  // in path order
    ULONGLONG Size = 0;
    ULONGLONG Modified = 0;  // last write time, in FILETIME units
    DWORD Attributes = 0;
    DWORD Volume = 0;
    ULONGLONG Index = 0;
    DWORD Links = 1;  // names on the whole volume, those outside the search too
    bool Checked = true;
};

// Files of identical bytes; one is kept, the others become names of it.
struct TDupGroup {
    std::vector<TDupFile> Files;
    size_t Kept = 0;
};

enum class TDupRole { Kept, Duplicate, Unticked, LeftAlone };
// What the linking run does with a file of a group. A file whose read-only,
// hidden or system attribute differs from the kept file's is left alone:
// all names of one file share one set of attributes.
TDupRole RoleOf(const TDupGroup& group, size_t file);

struct TDupSummary {
    size_t Groups = 0, Duplicates = 0;
    ULONGLONG Bytes = 0;  // freed once every duplicate is a name of its kept file
};
TDupSummary Summarize(const std::vector<TDupGroup>& groups);

// The files a search or a run could not take, and why: an English message
// of the program's, or else the system's error code.
struct TDupProblem {
    std::string Path;
    std::string Sentence;
    DWORD Code = 0;
};

// What a search or a run is doing, for a window on another thread to show,
// and its stop switch.
class TDupProgress {
public:
    std::atomic<bool> Cancel{false};
    std::atomic<ULONGLONG> Done{0}, Total{0};  // bytes read; files while walking, with Total 0
    void SetCurrent(const std::string& path);
    std::string Current() const;

private:
    mutable std::mutex lock_;
    std::string current_;
};

// The folders of a text of several separated by ";", blanks trimmed.
std::vector<std::string> SplitFolders(const std::string& text);

struct TSearchResult {
    std::string Refusal;  // an English message when the folders cannot be searched
    std::string RefusedPath;
    std::vector<TDupGroup> Groups;  // the kept file first, as the defaults pick it
    std::vector<TDupProblem> Problems;
    bool Cancelled = false;
};
// Finds the files of equal bytes under the folders, which must lie on one
// volume. threads 0 takes as many as the machine has processors.
TSearchResult FindDuplicates(const std::vector<std::string>& folders, TDupProgress& progress, unsigned threads = 0);

struct TLinkResult {
    size_t Linked = 0;  // duplicates whose every name is now a link
    ULONGLONG Freed = 0;
    std::vector<TDupProblem> Problems;
    bool Cancelled = false;
};
// Replaces every duplicate by links to its kept file, each only after a
// byte-by-byte comparison with both files closed to writers, and only when
// it is unchanged since the search.
TLinkResult LinkDuplicates(const std::vector<TDupGroup>& groups, TDupProgress& progress);

// The system's limit of names per file.
constexpr DWORD kMaxLinks = 1023;
