#include "app/DuplicateFinder.h"

#include "app/MultiHardLink.h"
#include "fs/FileSystem.h"

#include <winternl.h>

#define XXH_INLINE_ALL
#include <xxhash.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <thread>

namespace {

// Read first from every file whose size another file shares: most files of
// one size differ early, and a file this small needs no second read.
constexpr DWORD kFirstBlock = 64 * 1024;
constexpr DWORD kChunk = 1024 * 1024;
constexpr DWORD kLinkAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

class Handle {
public:
    explicit Handle(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
    ~Handle() {
        if (*this) CloseHandle(h_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    explicit operator bool() const { return h_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return h_; }

private:
    HANDLE h_;
};

// Nobody may write the file while the handle lasts; renaming and deleting
// stay possible, as the safe replace needs them.
HANDLE OpenForReading(const std::string& path, DWORD share) {
    return fs::Open(path, GENERIC_READ, share, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_OPEN_REPARSE_POINT);
}

// What the search and the run ask of an open file. Not through
// GetFileInformationByHandle: for the volume's serial number in its answer,
// Wine asks the volume's device each time, a millisecond a call. Every file
// taken lies on the volume of the folders, which the search checked once.
struct Facts {
    ULONGLONG size = 0, modified = 0, index = 0;
    DWORD attributes = 0, links = 0;
};
// Without times and attributes (the walk's serve the search) it asks two
// questions instead of three.
bool FactsOf(HANDLE h, Facts& f, bool withTimes = true) {
    FILE_BASIC_INFO basic{};
    FILE_STANDARD_INFO standard{};
    FILE_INTERNAL_INFORMATION internal{};
    IO_STATUS_BLOCK io{};
    if ((withTimes && !GetFileInformationByHandleEx(h, FileBasicInfo, &basic, sizeof basic)) ||
        !GetFileInformationByHandleEx(h, FileStandardInfo, &standard, sizeof standard))
        return false;
    if (NtQueryInformationFile(h, &io, &internal, sizeof internal, FileInternalInformation) < 0) {
        SetLastError(ERROR_INVALID_FUNCTION);
        return false;
    }
    f = {static_cast<ULONGLONG>(standard.EndOfFile.QuadPart), static_cast<ULONGLONG>(basic.LastWriteTime.QuadPart),
         static_cast<ULONGLONG>(internal.IndexNumber.QuadPart), basic.FileAttributes, standard.NumberOfLinks};
    return true;
}

// Reads exactly size bytes; false on an error or a short read.
bool ReadFull(HANDLE file, char* buf, DWORD size) {
    DWORD got = 0;
    return ReadFile(file, buf, size, &got, nullptr) && got == size;
}

template <class Work>
void Parallel(size_t count, unsigned threads, Work work) {
    std::atomic<size_t> next{0};
    auto run = [&] {
        std::unique_ptr<char[]> buf(new char[kChunk]);
        for (size_t i; (i = next++) < count;) work(i, buf.get());
    };
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < threads && t < count; ++t) pool.emplace_back(run);
    run();
    for (std::thread& t : pool) t.join();
}

std::string Trimmed(std::string s) {
    const char* blanks = " \t";
    s.erase(0, s.find_first_not_of(blanks));
    s.erase(s.find_last_not_of(blanks) + 1);
    return s;
}

// What the walk keeps of a file: its folder by number, to spare memory.
struct Found {
    uint32_t folder;
    std::string name;
    ULONGLONG size, modified;
    DWORD attributes;
};

// A file as the reads see it.
struct Candidate {
    size_t found;
    bool read = false;
    DWORD volume = 0, links = 0, attributes = 0;
    ULONGLONG index = 0;
    XXH128_hash_t first{}, rest{};
    DWORD error = 0;
};

struct HashLess {
    bool operator()(const XXH128_hash_t& a, const XXH128_hash_t& b) const {
        return a.high64 != b.high64 ? a.high64 < b.high64 : a.low64 < b.low64;
    }
};

}  // namespace

TDupRole RoleOf(const TDupGroup& group, size_t file) {
    const TDupFile& kept = group.Files[group.Kept];
    if (file == group.Kept) return TDupRole::Kept;
    const TDupFile& f = group.Files[file];
    if (!f.Checked || !kept.Checked) return TDupRole::Unticked;
    if ((f.Attributes & kLinkAttributes) != (kept.Attributes & kLinkAttributes)) return TDupRole::LeftAlone;
    return TDupRole::Duplicate;
}

TDupSummary Summarize(const std::vector<TDupGroup>& groups) {
    TDupSummary s;
    for (const TDupGroup& g : groups) {
        size_t before = s.Duplicates;
        for (size_t i = 0; i < g.Files.size(); ++i) {
            if (RoleOf(g, i) != TDupRole::Duplicate) continue;
            const TDupFile& f = g.Files[i];
            ++s.Duplicates;
            // A file with names outside the search keeps its bytes.
            if (f.Links <= f.Names.size()) s.Bytes += f.Size;
        }
        if (s.Duplicates > before) ++s.Groups;
    }
    return s;
}

void TDupProgress::SetCurrent(const std::string& path) {
    std::lock_guard<std::mutex> hold(lock_);
    current_ = path;
}

std::string TDupProgress::Current() const {
    std::lock_guard<std::mutex> hold(lock_);
    return current_;
}

std::vector<std::string> SplitFolders(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    for (;;) {
        size_t end = text.find(';', start);
        std::string part = Trimmed(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (!part.empty()) out.push_back(part);
        if (end == std::string::npos) return out;
        start = end + 1;
    }
}

TSearchResult FindDuplicates(const std::vector<std::string>& given, TDupProgress& progress, unsigned threads) {
    TSearchResult result;
    if (threads == 0) threads = std::clamp(std::thread::hardware_concurrency(), 2u, 8u);

    // The folders, each once: one inside another is searched with it.
    std::vector<std::string> roots;
    for (const std::string& g : given) {
        std::string full = fs::FullPath(g);
        while (full.size() > 3 && full.back() == '\\') full.pop_back();
        if (!fs::IsFolder(full)) {
            result.Refusal = "This folder does not exist:";
            result.RefusedPath = g;
            return result;
        }
        roots.push_back(full);
    }
    if (roots.empty()) {
        result.Refusal = "Choose the folders to search";
        return result;
    }
    // Whether folder a is b or lies inside it.
    auto inside = [](const std::string& a, const std::string& b) {
        const std::string sa = a.back() == '\\' ? a : a + '\\', sb = b.back() == '\\' ? b : b + '\\';
        return sa.size() >= sb.size() && CompareStringOrdinal(fs::Widen(sa.substr(0, sb.size())).c_str(), -1,
                                                              fs::Widen(sb).c_str(), -1, TRUE) == CSTR_EQUAL;
    };
    std::sort(roots.begin(), roots.end(), [](const std::string& a, const std::string& b) { return a.size() < b.size(); });
    std::vector<std::string> folders;
    for (const std::string& r : roots)
        if (std::none_of(folders.begin(), folders.end(), [&](const std::string& f) { return inside(r, f); }))
            folders.push_back(r);
    DWORD volume = 0;
    bool stableIndex = false;
    for (size_t i = 0; i < folders.size(); ++i) {
        Handle f(fs::Open(folders[i], 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
                          FILE_FLAG_BACKUP_SEMANTICS));
        BY_HANDLE_FILE_INFORMATION info{};
        if (!f || !GetFileInformationByHandle(f.get(), &info)) {
            result.Refusal = "This folder cannot be read:";
            result.RefusedPath = folders[i];
            return result;
        }
        if (i == 0) {
            volume = info.dwVolumeSerialNumber;
            stableIndex = fs::StableIndices(f.get());
        } else if (info.dwVolumeSerialNumber != volume) {
            result.Refusal = "Hard links cannot join two volumes. Choose folders on one volume.";
            return result;
        }
    }

    // The walk: sizes and times from the listing, no file opened.
    std::vector<Found> found;
    std::vector<fs::DetailedEntry> entries;
    for (size_t next = 0; next < folders.size(); ++next) {
        if (progress.Cancel) {
            result.Cancelled = true;
            return result;
        }
        progress.SetCurrent(folders[next]);
        entries.clear();
        if (!fs::ListDetailed(folders[next], entries)) {
            result.Problems.push_back({folders[next], "", GetLastError()});
            continue;
        }
        const std::string base = folders[next].back() == '\\' ? folders[next] : folders[next] + '\\';
        for (fs::DetailedEntry& e : entries) {
            // Links to elsewhere are never followed nor taken.
            if (e.attributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
            if (!e.exact) {
                result.Problems.push_back({base + e.name, "The system's code page cannot carry this name", 0});
                continue;
            }
            if (e.attributes & FILE_ATTRIBUTE_DIRECTORY) folders.push_back(base + e.name);
            else if (e.size > 0)
                found.push_back({static_cast<uint32_t>(next), std::move(e.name), e.size, e.modified, e.attributes});
        }
        progress.Done = found.size();
    }
    auto pathOf = [&](const Found& f) {
        const std::string& dir = folders[f.folder];
        return dir.back() == '\\' ? dir + f.name : dir + '\\' + f.name;
    };

    // Only sizes that two files share are read.
    std::vector<size_t> order(found.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return found[a].size < found[b].size; });
    std::vector<Candidate> cands;
    ULONGLONG toRead = 0;
    for (size_t i = 0; i < order.size();) {
        size_t j = i;
        while (j < order.size() && found[order[j]].size == found[order[i]].size) ++j;
        if (j - i >= 2)
            for (; i < j; ++i) {
                cands.push_back({order[i]});
                toRead += std::min<ULONGLONG>(found[order[i]].size, kFirstBlock);
            }
        i = j;
    }
    progress.Done = 0;
    progress.Total = toRead;

    auto readFirst = [&](size_t i, char* buf) {
        if (progress.Cancel) return;
        Candidate& c = cands[i];
        const Found& f = found[c.found];
        const std::string path = pathOf(f);
        progress.SetCurrent(path);
        Handle h(OpenForReading(path, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE));
        Facts facts;
        if (!h || !FactsOf(h.get(), facts, false)) {
            c.error = GetLastError();
            return;
        }
        const DWORD n = static_cast<DWORD>(std::min<ULONGLONG>(f.size, kFirstBlock));
        if (facts.size != f.size || !ReadFull(h.get(), buf, n)) {
            c.error = ERROR_READ_FAULT;  // changed while we looked
            return;
        }
        c.volume = volume;
        c.index = facts.index;
        c.links = facts.links;
        c.attributes = f.attributes;
        c.first = XXH3_128bits(buf, n);
        c.read = true;
        progress.Done += n;
    };
    Parallel(cands.size(), threads, readFirst);
    if (progress.Cancel) {
        result.Cancelled = true;
        return result;
    }

    // Names of one file become one file; its reparse points were left out.
    struct Key {
        ULONGLONG size;
        XXH128_hash_t first;
        bool operator<(const Key& o) const { return size != o.size ? size < o.size : HashLess{}(first, o.first); }
    };
    std::map<Key, std::vector<size_t>> byFirst;  // candidate numbers, one per file
    std::map<std::pair<ULONGLONG, DWORD>, size_t> byIdentity;
    std::vector<std::vector<size_t>> namesOf(cands.size());
    for (size_t i = 0; i < cands.size(); ++i) {
        Candidate& c = cands[i];
        if (!c.read) {
            if (c.error) result.Problems.push_back({pathOf(found[c.found]), "", c.error});
            continue;
        }
        if (stableIndex && c.index != 0) {
            auto [it, fresh] = byIdentity.emplace(std::make_pair(c.index, c.volume), i);
            if (!fresh) {
                namesOf[it->second].push_back(i);
                continue;
            }
        }
        namesOf[i].push_back(i);
        byFirst[{found[c.found].size, c.first}].push_back(i);
    }
    byIdentity.clear();

    // The rest of each file that still has a twin.
    std::vector<size_t> further;
    toRead = 0;
    for (auto& [key, files] : byFirst)
        if (files.size() >= 2 && key.size > kFirstBlock)
            for (size_t i : files) {
                further.push_back(i);
                toRead += key.size - kFirstBlock;
            }
    progress.Done = 0;
    progress.Total = toRead;
    auto readRest = [&](size_t k, char* buf) {
        if (progress.Cancel) return;
        Candidate& c = cands[further[k]];
        const Found& f = found[c.found];
        const std::string path = pathOf(f);
        progress.SetCurrent(path);
        Handle h(OpenForReading(path, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE));
        LARGE_INTEGER at{};
        at.QuadPart = kFirstBlock;
        XXH3_state_t* state = XXH3_createState();
        XXH3_128bits_reset(state);
        bool ok = h && SetFilePointerEx(h.get(), at, nullptr, FILE_BEGIN);
        for (ULONGLONG left = f.size - kFirstBlock; ok && left > 0 && !progress.Cancel;) {
            const DWORD n = static_cast<DWORD>(std::min<ULONGLONG>(left, kChunk));
            ok = ReadFull(h.get(), buf, n);
            if (!ok) break;
            XXH3_128bits_update(state, buf, n);
            left -= n;
            progress.Done += n;
        }
        if (ok) c.rest = XXH3_128bits_digest(state);
        else {
            c.error = GetLastError() ? GetLastError() : ERROR_READ_FAULT;
            c.read = false;
        }
        XXH3_freeState(state);
    };
    Parallel(further.size(), threads, readRest);
    if (progress.Cancel) {
        result.Cancelled = true;
        return result;
    }

    // Groups of equal bytes; the oldest file is kept, the shortest path
    // deciding between files of one time.
    for (auto& [key, files] : byFirst) {
        if (files.size() < 2) continue;
        std::map<XXH128_hash_t, std::vector<TDupFile>, HashLess> byRest;
        for (size_t i : files) {
            const Candidate& c = cands[i];
            if (!c.read) {
                if (c.error) result.Problems.push_back({pathOf(found[c.found]), "", c.error});
                continue;
            }
            TDupFile file;
            for (size_t n : namesOf[i]) file.Names.push_back(pathOf(found[cands[n].found]));
            std::sort(file.Names.begin(), file.Names.end());
            file.Size = key.size;
            file.Modified = found[c.found].modified;
            file.Attributes = c.attributes;
            file.Volume = c.volume;
            file.Index = c.index;
            file.Links = c.links;
            byRest[c.rest].push_back(std::move(file));
        }
        for (auto& [rest, same] : byRest) {
            if (same.size() < 2) continue;
            auto shortest = [](const TDupFile& f) {
                size_t n = SIZE_MAX;
                for (const std::string& s : f.Names) n = std::min(n, s.size());
                return n;
            };
            std::sort(same.begin(), same.end(), [&](const TDupFile& a, const TDupFile& b) {
                if (a.Modified != b.Modified) return a.Modified < b.Modified;
                if (shortest(a) != shortest(b)) return shortest(a) < shortest(b);
                return a.Names.front() < b.Names.front();
            });
            // No file gets more names than the system allows: a group that
            // would starts again with a second kept file.
            TDupGroup group;
            DWORD room = 0;
            for (TDupFile& f : same) {
                const DWORD names = static_cast<DWORD>(f.Names.size());
                if (!group.Files.empty() && names <= room) {
                    room -= names;
                    group.Files.push_back(std::move(f));
                    continue;
                }
                if (group.Files.size() >= 2) result.Groups.push_back(std::move(group));
                group = TDupGroup{};
                room = f.Links < kMaxLinks ? kMaxLinks - f.Links : 0;
                group.Files.push_back(std::move(f));
            }
            if (group.Files.size() >= 2) result.Groups.push_back(std::move(group));
        }
    }
    std::sort(result.Groups.begin(), result.Groups.end(), [](const TDupGroup& a, const TDupGroup& b) {
        const TDupFile &ka = a.Files[a.Kept], &kb = b.Files[b.Kept];
        return ka.Names.front() < kb.Names.front();
    });
    return result;
}

TLinkResult LinkDuplicates(const std::vector<TDupGroup>& groups, TDupProgress& progress) {
    TLinkResult result;
    const DWORD exclusive = FILE_SHARE_READ | FILE_SHARE_DELETE;
    // Whether the file behind an open handle is still the one the search
    // saw, and unchanged.
    auto unchanged = [](HANDLE h, const TDupFile& f, Facts& now) {
        return FactsOf(h, now) && now.size == f.Size && now.modified == f.Modified && now.index == f.Index &&
               !(now.attributes & FILE_ATTRIBUTE_REPARSE_POINT);
    };
    ULONGLONG total = 0;
    for (const TDupGroup& g : groups)
        for (size_t i = 0; i < g.Files.size(); ++i)
            if (RoleOf(g, i) == TDupRole::Duplicate) total += 2 * g.Files[i].Size;
    progress.Done = 0;
    progress.Total = total;
    std::unique_ptr<char[]> a(new char[kChunk]), b(new char[kChunk]);

    for (const TDupGroup& g : groups) {
        const TDupFile& kept = g.Files[g.Kept];
        bool any = false;
        for (size_t i = 0; i < g.Files.size() && !any; ++i) any = RoleOf(g, i) == TDupRole::Duplicate;
        if (!any) continue;
        const std::string& keptName = kept.Names.front();
        Handle keptFile(OpenForReading(keptName, exclusive));
        Facts keptInfo;
        const bool keptOk = keptFile && unchanged(keptFile.get(), kept, keptInfo);
        for (size_t i = 0; i < g.Files.size(); ++i) {
            if (RoleOf(g, i) != TDupRole::Duplicate) continue;
            if (progress.Cancel) {
                result.Cancelled = true;
                return result;
            }
            const TDupFile& f = g.Files[i];
            progress.SetCurrent(f.Names.front());
            if (!keptOk) {
                result.Problems.push_back({f.Names.front(), "The kept file changed since the search: this file was left alone", 0});
                progress.Done += 2 * f.Size;
                continue;
            }
            Handle dup(OpenForReading(f.Names.front(), exclusive));
            Facts info;
            if (!dup) {
                result.Problems.push_back({f.Names.front(), "", GetLastError()});
                progress.Done += 2 * f.Size;
                continue;
            }
            if (!unchanged(dup.get(), f, info) ||
                (info.attributes & kLinkAttributes) != (keptInfo.attributes & kLinkAttributes)) {
                result.Problems.push_back({f.Names.front(), "This file changed since the search and was left alone", 0});
                progress.Done += 2 * f.Size;
                continue;
            }
            // No hash decides alone: the bytes themselves, now.
            LARGE_INTEGER zero{};
            bool same = SetFilePointerEx(keptFile.get(), zero, nullptr, FILE_BEGIN) != FALSE;
            for (ULONGLONG left = f.Size; same && left > 0;) {
                if (progress.Cancel) {
                    result.Cancelled = true;
                    return result;
                }
                const DWORD n = static_cast<DWORD>(std::min<ULONGLONG>(left, kChunk));
                same = ReadFull(keptFile.get(), a.get(), n) && ReadFull(dup.get(), b.get(), n) &&
                       std::memcmp(a.get(), b.get(), n) == 0;
                left -= n;
                progress.Done += 2 * n;
            }
            if (!same) {
                result.Problems.push_back({f.Names.front(), "This file differs from the kept file and was left alone", 0});
                continue;
            }
            size_t replaced = 0;
            for (size_t n = 0; n < f.Names.size(); ++n) {
                const std::string& name = f.Names[n];
                if (n > 0) {
                    // Another name may have been given to another file.
                    Handle other(OpenForReading(name, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE));
                    Facts o;
                    if (!other || !FactsOf(other.get(), o) || o.index != f.Index) {
                        result.Problems.push_back({name, "This file changed since the search and was left alone", 0});
                        continue;
                    }
                }
                TReplaceResult r = ReplaceWithLink(name, keptName, true);
                if (r.Code) {
                    result.Problems.push_back({name, "", r.Code});
                    if (!r.OnDisk.empty())
                        result.Problems.push_back({r.Aside + ", " + r.OnDisk,
                                                   "The existing file could not be put back. It is kept under the first "
                                                   "name below instead of the second:",
                                                   0});
                    continue;
                }
                if (!r.Aside.empty())
                    result.Problems.push_back({r.Aside, "The replaced file could not be deleted. It was kept as:", 0});
                ++replaced;
            }
            if (replaced == f.Names.size()) {
                ++result.Linked;
                if (info.links <= replaced) result.Freed += f.Size;
            }
        }
    }
    return result;
}
