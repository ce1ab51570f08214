// Shared by the benchmarks: timing, medians and the folder of many files
// that the folder measures read.
#pragma once

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace bench {

constexpr int kFolderFiles = 20000;

inline double Seconds(const std::function<void()>& f) {
    auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

inline double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

inline std::string TempFolder(const char* name) {
    char tmp[MAX_PATH] = {};
    GetTempPathA(sizeof tmp, tmp);
    std::string folder = std::string(tmp) + name;
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

// What a bare program does to list a folder's files in order: one
// FindFirstFileA/FindNextFileA walk, then a sort without regard to case.
inline std::vector<std::string> BareWalkAndSort(const std::string& folder, bool sort = true) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "\\*.*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(fd.cFileName);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    if (sort)
        std::sort(names.begin(), names.end(),
                  [](const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) < 0; });
    return names;
}

// The folder of kFolderFiles empty files, made once and kept between runs.
inline std::string FolderOfFiles() {
    std::string folder = TempFolder("qm_folder_bench");
    if (BareWalkAndSort(folder, false).size() != kFolderFiles) {
        for (int i = 0; i < kFolderFiles; ++i) {
            std::string name = folder + "\\file" + std::to_string((i * 7919) % kFolderFiles) + ".dat";
            HANDLE h = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
        }
    }
    return folder;
}

}  // namespace bench
