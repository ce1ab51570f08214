// Real temporary folders and what the file system says about files in them.
#pragma once

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace testsupport {

// Another volume on another file system, where no link can reach.
inline const char OtherVolume[] = "Z:\\dev\\shm";

// A path in the system code page, widened.
inline std::wstring Wide(const std::string& s) {
    std::wstring out(s.size(), L'\0');
    out.resize(MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), out.data(), static_cast<int>(out.size())));
    return out;
}

// A path that the build hands over, as Wine sees it: the Unix root is Z:.
inline std::string WinePath(const std::string& unixPath) {
    std::string p = "Z:" + unixPath;
    std::replace(p.begin(), p.end(), '/', '\\');
    return p;
}

inline bool FileExists(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

inline bool DirExists(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Writes a file whole, replacing one of the name; returns the path.
inline std::string WriteFile(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

// A fresh folder under the system's temporary folder (or under root),
// removed with all it holds when the test ends.
class TempDir {
public:
    explicit TempDir(std::string root = "") {
        static std::atomic<int> counter{0};
        if (root.empty()) {
            char base[MAX_PATH] = {};
            GetTempPathA(sizeof base, base);
            root = base;
        }
        if (root.back() == '\\') root.pop_back();
        do path_ = root + "\\qm" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(counter++);
        while (!CreateDirectoryA(path_.c_str(), nullptr) && GetLastError() == ERROR_ALREADY_EXISTS);
    }
    ~TempDir() {
        // The lists may have made a folder inside current: step out first.
        std::wstring cur(32768, L'\0'), own = Wide(path_);
        cur.resize(GetCurrentDirectoryW(static_cast<DWORD>(cur.size()), cur.data()));
        if (_wcsnicmp(cur.c_str(), own.c_str(), own.size()) == 0) SetCurrentDirectoryW(L"C:\\");
        // Wide and prefixed, so names the code page cannot hold go too, and
        // long paths; read-only ones as well.
        RemoveTree(L"\\\\?\\" + Wide(path_));
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return path_; }
    // Full path of a name inside the folder.
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }
    std::string MakeFile(const std::string& name, const std::string& content = "data") { return WriteFile(*this / name, content); }
    std::string MakeDir(const std::string& name) {
        CreateDirectoryA((*this / name).c_str(), nullptr);
        return *this / name;
    }

private:
    static void RemoveTree(const std::wstring& folder) {
        WIN32_FIND_DATAW fd;
        HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &fd);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                std::wstring name = fd.cFileName, path = folder + L"\\" + name;
                if (name == L"." || name == L"..") continue;
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                // A link to a folder goes, not what it leads to.
                if (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) RemoveDirectoryW(path.c_str()) || DeleteFileW(path.c_str());
                else if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(path);
                else DeleteFileW(path.c_str());
            } while (FindNextFileW(find, &fd));
            FindClose(find);
        }
        RemoveDirectoryW(folder.c_str());
    }

    std::string path_;
};

// What the file system says about one file: volume, file index, link count.
struct FileIdentity {
    bool ok = false;
    DWORD volume = 0;
    ULONGLONG index = 0;
    DWORD links = 0;
};

inline FileIdentity IdentityOf(const std::wstring& path) {
    FileIdentity id;
    HANDLE h = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return id;
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileInformationByHandle(h, &info))
        id = {true, info.dwVolumeSerialNumber, (static_cast<ULONGLONG>(info.nFileIndexHigh) << 32) | info.nFileIndexLow,
              info.nNumberOfLinks};
    CloseHandle(h);
    return id;
}
inline FileIdentity IdentityOf(const std::string& path) { return IdentityOf(Wide(path)); }

// The link count of the file both names lead to; 0 unless they are one file.
inline DWORD SharedLinks(const std::wstring& a, const std::wstring& b) {
    FileIdentity x = IdentityOf(a), y = IdentityOf(b);
    return x.ok && y.ok && x.volume == y.volume && x.index == y.index ? x.links : 0;
}
inline DWORD SharedLinks(const std::string& a, const std::string& b) { return SharedLinks(Wide(a), Wide(b)); }

// Gives a file a last write time some minutes before a fixed moment, so a
// test orders files by age without waiting.
inline void SetAge(const std::string& path, int minutes) {
    HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    ULARGE_INTEGER t{};
    t.QuadPart = 133000000000000000ull - static_cast<ULONGLONG>(minutes) * 600000000ull;
    FILETIME ft{t.LowPart, t.HighPart};
    SetFileTime(h, nullptr, nullptr, &ft);
    CloseHandle(h);
}

}  // namespace testsupport
