// Real temporary folders and what the file system says about files in them.
#pragma once

#include <windows.h>

#include <string>

namespace testsupport {

// Another volume on another file system, where no link can reach.
inline const char OtherVolume[] = "Z:\\dev\\shm";

// A fresh folder under the system's temporary folder (or under root),
// removed with all it holds when the test ends.
class TempDir {
public:
    explicit TempDir(std::string root = "");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return path_; }
    // Full path of a name inside the folder.
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }
    std::string MakeFile(const std::string& name, const std::string& content = "data");
    std::string MakeDir(const std::string& name);

private:
    std::string path_;
};

// A path that the build hands over, as Wine sees it.
std::string WinePath(const std::string& unixPath);
// A path in the system code page, widened.
std::wstring Wide(const std::string& s);
bool FileExists(const std::string& path);
bool DirExists(const std::string& path);
std::string ReadFile(const std::string& path);
// Writes a file whole, replacing one of the name; returns the path.
std::string WriteFile(const std::string& path, const std::string& content);

// What the file system says about one file: volume, file index, link count.
struct FileIdentity {
    bool ok = false;
    DWORD volume = 0;
    ULONGLONG index = 0;
    DWORD links = 0;
};
FileIdentity IdentityOf(const std::string& path);
FileIdentity IdentityOf(const std::wstring& path);
// The link count of the file both names lead to; 0 unless they are one file.
DWORD SharedLinks(const std::wstring& a, const std::wstring& b);
inline DWORD SharedLinks(const std::string& a, const std::string& b) { return SharedLinks(Wide(a), Wide(b)); }

}  // namespace testsupport
