// The duplicate search and the linking run, without the window:
//   dupes_bench search FOLDER   the search to its summary, with the peak working set
//   dupes_bench bare FOLDER     the yardstick: a bare walk of the tree and a read of the
//                               first 4 KiB of each file whose size another shares
//   dupes_bench link [PAIRS] [ROUNDS]
//                               the linking run against bare CreateHardLinkW plus the
//                               reads of both files, alternating, medians
#include "BenchFolder.h"
#include "app/DuplicateFinder.h"

#include <psapi.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <random>

namespace {

double PeakMiB() {
    PROCESS_MEMORY_COUNTERS pmc{};
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
    return static_cast<double>(pmc.PeakWorkingSetSize) / (1 << 20);
}

int Search(const std::string& folder) {
    TDupProgress progress;
    TSearchResult r;
    double t = bench::Seconds([&] { r = FindDuplicates({folder}, progress); });
    TDupSummary s = Summarize(r.Groups);
    std::printf("search %.2f s: %zu groups, %zu duplicates, %llu bytes can be freed; %zu problems%s%s; peak working set %.1f MiB\n",
                t, s.Groups, s.Duplicates, s.Bytes, r.Problems.size(), r.Refusal.empty() ? "" : "; refused: ",
                r.Refusal.c_str(), PeakMiB());
    return r.Refusal.empty() ? 0 : 1;
}

struct Walked {
    std::wstring path;
    ULONGLONG size;
};

void Walk(const std::wstring& folder, std::vector<Walked>& out) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr,
                                FIND_FIRST_EX_LARGE_FETCH);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..") continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) Walk(folder + L"\\" + name, out);
        else out.push_back({folder + L"\\" + name, (static_cast<ULONGLONG>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow});
    } while (FindNextFileW(h, &fd));
    FindClose(h);
}

int Bare(const std::string& folder) {
    std::vector<Walked> files;
    size_t read = 0;
    double t = bench::Seconds([&] {
        Walk(std::wstring(folder.begin(), folder.end()), files);
        std::map<ULONGLONG, int> sizes;
        for (const Walked& f : files) ++sizes[f.size];
        char buf[4096];
        for (const Walked& f : files) {
            if (sizes[f.size] < 2) continue;
            HANDLE h = CreateFileW(f.path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
            DWORD got = 0;
            if (h != INVALID_HANDLE_VALUE && ReadFile(h, buf, sizeof buf, &got, nullptr)) ++read;
            CloseHandle(h);
        }
    });
    std::printf("bare walk %.2f s: %zu files, %zu opened and read\n", t, files.size(), read);
    return 0;
}

// Pairs of equal files of 1 KiB to 1 MiB, log-uniform, the first of each
// older; 50 pairs a folder, as in a tree of photos, since Wine reads a whole
// folder to look up a name that is not there.
std::string PairFolder(const std::string& root, int i) { return root + "\\" + std::to_string(i / 50); }

void MakePairs(const std::string& root, int pairs) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> u(0, 10);
    CreateDirectoryA(root.c_str(), nullptr);
    for (int i = 0; i < pairs; ++i) {
        std::string data(static_cast<size_t>(1024 * std::pow(2.0, u(rng))), static_cast<char>('a' + i % 26));
        data += std::to_string(i);
        for (int k = 0; k < 2; ++k) {
            CreateDirectoryA(PairFolder(root, i).c_str(), nullptr);
            std::string path = PairFolder(root, i) + "\\" + (k ? "new" : "old") + std::to_string(i);
            HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            DWORD put = 0;
            WriteFile(h, data.data(), static_cast<DWORD>(data.size()), &put, nullptr);
            FILETIME ft{static_cast<DWORD>(k ? 2000000 : 1000000), 30000000};
            SetFileTime(h, nullptr, nullptr, &ft);
            CloseHandle(h);
        }
    }
}

void Clear(const std::string& root) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((root + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        std::string name = fd.cFileName, path = root + "\\" + name;
        if (name == "." || name == "..") continue;
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileA(path.c_str());
        else {
            Clear(path);
            RemoveDirectoryA(path.c_str());
        }
    } while (FindNextFileA(h, &fd));
    FindClose(h);
}

// What any tool must do at least: read both files, then make the link;
// with safe, the link replaces the duplicate as the safe replace does it
// (rename aside, link, delete the aside file), by bare calls.
double BareLinks(const std::string& root, int pairs, bool safe) {
    std::unique_ptr<char[]> a(new char[1 << 20]), b(new char[1 << 20]);
    return bench::Seconds([&] {
        for (int i = 0; i < pairs; ++i) {
            const std::string folder = PairFolder(root, i);
            std::wstring wroot(folder.begin(), folder.end());
            std::wstring kept = wroot + L"\\old" + std::to_wstring(i), dup = wroot + L"\\new" + std::to_wstring(i);
            HANDLE x = CreateFileW(kept.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
            HANDLE y = CreateFileW(dup.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
            DWORD gx = 0, gy = 0;
            while (ReadFile(x, a.get(), 1 << 20, &gx, nullptr) && ReadFile(y, b.get(), 1 << 20, &gy, nullptr) && gx > 0) {}
            CloseHandle(x);
            CloseHandle(y);
            if (!safe) {
                CreateHardLinkW((wroot + L"\\link" + std::to_wstring(i)).c_str(), kept.c_str(), nullptr);
                continue;
            }
            const std::wstring aside = dup + L".1.quenmoor-replaced";
            MoveFileW(dup.c_str(), aside.c_str());
            CreateHardLinkW(dup.c_str(), kept.c_str(), nullptr);
            DeleteFileW(aside.c_str());
        }
    });
}

int Link(int pairs, int rounds) {
    const std::string root = bench::TempFolder("qm_dupes_bench");
    std::vector<double> bare, safe, run;
    for (int round = 0; round < rounds; ++round) {
        Clear(root);
        MakePairs(root, pairs);
        bare.push_back(BareLinks(root, pairs, false));
        Clear(root);
        MakePairs(root, pairs);
        safe.push_back(BareLinks(root, pairs, true));
        Clear(root);
        MakePairs(root, pairs);
        TDupProgress progress;
        TSearchResult found = FindDuplicates({root}, progress);
        TLinkResult linked;
        run.push_back(bench::Seconds([&] { linked = LinkDuplicates(found.Groups, progress); }));
        if (linked.Linked != static_cast<size_t>(pairs) || !linked.Problems.empty())
            std::printf("  (%zu linked, %zu problems)\n", linked.Linked, linked.Problems.size());
    }
    Clear(root);
    RemoveDirectoryA(root.c_str());
    double tb = bench::Median(bare), ts = bench::Median(safe), tr = bench::Median(run);
    std::printf("%d pairs: bare reads + CreateHardLinkW %.0f ms; bare reads + rename, link, delete %.0f ms; linking run %.0f ms\n",
                pairs, tb * 1000, ts * 1000, tr * 1000);
    std::printf("rate ratio of the linking run to the bare link %.2f, to the bare safe replace %.2f\n", tb / tr, ts / tr);
    return 0;
}

int Probe(const std::string& folder) {
    std::vector<Walked> files;
    Walk(std::wstring(folder.begin(), folder.end()), files);
    files.resize(std::min<size_t>(files.size(), 5000));
    for (int mode = 0; mode < 3; ++mode) {
        double t = bench::Seconds([&] {
            for (const Walked& f : files) {
                HANDLE h = CreateFileW(f.path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
                BY_HANDLE_FILE_INFORMATION info;
                FILE_STANDARD_INFO std{};
                if (mode == 1) GetFileInformationByHandle(h, &info);
                if (mode == 2) GetFileInformationByHandleEx(h, FileStandardInfo, &std, sizeof std);
                CloseHandle(h);
            }
        });
        std::printf("mode %d: %.1f us per file\n", mode, t * 1e6 / files.size());
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "search" && argc > 2) return Search(argv[2]);
    if (mode == "bare" && argc > 2) return Bare(argv[2]);
    if (mode == "probe" && argc > 2) return Probe(argv[2]);
    if (mode == "link") return Link(argc > 2 ? std::atoi(argv[2]) : 2000, argc > 3 ? std::atoi(argv[3]) : 5);
    std::printf("usage: dupes_bench search FOLDER | bare FOLDER | link [PAIRS] [ROUNDS]\n");
    return 2;
}
