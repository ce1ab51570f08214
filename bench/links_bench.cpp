// Every name of a file in a tree of 100,000 files, found by the walk that
// runs where the system cannot say (Wine 8, Windows XP), against a bare walk
// of the same tree. Usage: links_bench [rounds] [tree folder]; the tree is
// made there (default Z:\tmp\qm_links_bench, outside any source tree) and
// deleted at the end.
#include "BenchFolder.h"
#include "fs/FileSystem.h"
#include "fs/LinkNames.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kTop = 100, kMiddle = 10, kFiles = 100;  // 100 x 10 folders of 100 files

std::wstring Leaf(const std::wstring& root, int top, int middle) {
    wchar_t name[32];
    swprintf(name, 32, L"\\d%02d\\e%d", top, middle);
    return root + name;
}

void MakeTree(const std::wstring& root) {
    CreateDirectoryW(root.c_str(), nullptr);
    for (int t = 0; t < kTop; ++t) {
        CreateDirectoryW(Leaf(root, t, 0).substr(0, root.size() + 4).c_str(), nullptr);
        for (int m = 0; m < kMiddle; ++m) {
            std::wstring leaf = Leaf(root, t, m);
            CreateDirectoryW(leaf.c_str(), nullptr);
            for (int f = 0; f < kFiles; ++f) {
                HANDLE h = CreateFileW((leaf + L"\\f" + std::to_wstring(f) + L".dat").c_str(), GENERIC_WRITE, 0,
                                       nullptr, CREATE_NEW, 0, nullptr);
                if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
            }
        }
    }
}

void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &fd);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = fd.cFileName, path = folder + L"\\" + name;
            if (name == L"." || name == L"..") continue;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(path);
            else DeleteFileW(path.c_str());
        } while (FindNextFileW(find, &fd));
        FindClose(find);
    }
    RemoveDirectoryW(folder.c_str());
}

// What a bare program does to see every file of a tree: one find walk per
// folder. Returns the number of files.
size_t BareWalk(const std::wstring& folder) {
    size_t files = 0;
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) return 0;
    do {
        if (fd.cFileName[0] == L'.' && (!fd.cFileName[1] || (fd.cFileName[1] == L'.' && !fd.cFileName[2]))) continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) files += BareWalk(folder + L"\\" + fd.cFileName);
        else ++files;
    } while (FindNextFileW(find, &fd));
    FindClose(find);
    return files;
}

size_t Search(const std::wstring& path) {
    fs::NameListener quiet;
    fs::NameSearch found = fs::MakeNameFinder({})->Find(path, quiet);
    return found.Names.size();
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 9;
    const std::wstring root = argc > 2 ? fs::Widen(argv[2]) : L"Z:\\tmp\\qm_links_bench";
    double made = bench::Seconds([&] { MakeTree(root); });
    const size_t files = BareWalk(root);
    printf("tree: %zu files in %d folders, made in %.1f s\n", files, kTop * kMiddle + kTop, made);

    // The file lies in the first folder the walk reads; one name in a sibling
    // folder (an early stop), or in the folder the walk reaches last (the
    // whole tree read).
    const std::wstring file = Leaf(root, 0, 0) + L"\\f0.dat";
    const std::wstring sibling = Leaf(root, 0, 1) + L"\\near.dat", last = Leaf(root, kTop - 1, kMiddle - 1) + L"\\far.dat";
    const struct {
        const char* what;
        std::wstring link;
    } cases[] = {{"a name in a sibling folder", sibling}, {"a name in the last folder", last}};
    for (const auto& c : cases) {
        CreateHardLinkW(c.link.c_str(), file.c_str(), nullptr);
        std::vector<double> search, bare;
        size_t names = 0;
        for (int i = 0; i < rounds; ++i) {
            search.push_back(bench::Seconds([&] { names = Search(file); }));
            bare.push_back(bench::Seconds([&] { BareWalk(root); }));
        }
        DeleteFileW(c.link.c_str());
        double s = bench::Median(search), b = bench::Median(bare);
        printf("%-28s %zu names: search %.3f s, bare walk %.3f s, ratio %.2f (goal at most 1.0)\n", c.what, names, s, b,
               s / b);
    }
    RemoveTree(root);
    return 0;
}
