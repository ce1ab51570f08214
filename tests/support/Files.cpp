#include "support/Files.h"

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace testsupport {

TempDir::TempDir(std::string root) {
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

TempDir::~TempDir() {
    // The lists may have made a folder inside current: step out first.
    char cur[MAX_PATH * 2] = {};
    GetCurrentDirectoryA(sizeof cur, cur);
    if (_strnicmp(cur, path_.c_str(), path_.size()) == 0) SetCurrentDirectoryA("C:\\");
    // Wide, so names the code page cannot hold go too; read-only ones as well.
    const std::filesystem::path root(Wide(path_));
    std::error_code ec;
    for (const auto& e : std::filesystem::recursive_directory_iterator(root, ec))
        SetFileAttributesW(e.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    std::filesystem::remove_all(root, ec);
}

std::string TempDir::MakeFile(const std::string& name, const std::string& content) {
    return WriteFile(*this / name, content);
}

std::string TempDir::MakeDir(const std::string& name) {
    std::string p = *this / name;
    CreateDirectoryA(p.c_str(), nullptr);
    return p;
}

std::string WinePath(const std::string& unixPath) {
    // Wine shows the Unix root as drive Z:.
    std::string p = "Z:" + unixPath;
    for (char& c : p)
        if (c == '/') c = '\\';
    return p;
}

std::wstring Wide(const std::string& s) {
    std::wstring out(s.size(), L'\0');
    out.resize(MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), out.data(), static_cast<int>(out.size())));
    return out;
}

bool FileExists(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirExists(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string WriteFile(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

FileIdentity IdentityOf(const std::string& path) { return IdentityOf(Wide(path)); }

FileIdentity IdentityOf(const std::wstring& path) {
    FileIdentity id;
    HANDLE h = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return id;
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileInformationByHandle(h, &info)) {
        id.ok = true;
        id.volume = info.dwVolumeSerialNumber;
        id.index = (static_cast<ULONGLONG>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
        id.links = info.nNumberOfLinks;
    }
    CloseHandle(h);
    return id;
}

DWORD SharedLinks(const std::wstring& a, const std::wstring& b) {
    FileIdentity x = IdentityOf(a), y = IdentityOf(b);
    return x.ok && y.ok && x.volume == y.volume && x.index == y.index ? x.links : 0;
}

}  // namespace testsupport
