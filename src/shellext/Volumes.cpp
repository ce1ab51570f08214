#include "shellext/Volumes.h"

#include "fs/FileSystem.h"

#include <vector>

namespace tessivar {

bool HoldsHardLinks(DWORD Flags, const std::wstring& FileSystem) {
    return (Flags & FILE_SUPPORTS_HARD_LINKS) || FileSystem == L"NTFS";
}

TVolume VolumeOf(const std::wstring& Path) {
    TVolume volume;
    // The mount point that holds the path, so a volume mounted in a folder
    // counts as itself; prefixed, as a long path or a trailing dot needs.
    const std::wstring path = fs::ExtendedPath(std::wstring_view(Path));
    std::vector<wchar_t> root(path.size() + 2, L'\0');
    if (!GetVolumePathNameW(path.c_str(), root.data(), static_cast<DWORD>(root.size()))) return volume;
    wchar_t fileSystem[MAX_PATH + 1] = {};
    DWORD flags = 0, longest = 0;
    // No "insert a disk" box; only this thread's mode, other windows' threads
    // keep theirs.
    DWORD oldMode = 0;
    SetThreadErrorMode(SEM_FAILCRITICALERRORS, &oldMode);
    BOOL ok = GetVolumeInformationW(root.data(), nullptr, 0, &volume.Serial, &longest, &flags, fileSystem,
                                    MAX_PATH + 1);
    SetThreadErrorMode(oldMode, nullptr);
    if (!ok) return volume;
    volume.Known = true;
    volume.HardLinks = HoldsHardLinks(flags, fileSystem);
    return volume;
}

TIdentity IdentityOf(const std::wstring& Path) {
    TIdentity identity;
    HANDLE file = CreateFileW(fs::ExtendedPath(std::wstring_view(Path)).c_str(), 0,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return identity;
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileInformationByHandle(file, &info))
        identity = {true, info.dwVolumeSerialNumber, (static_cast<ULONGLONG>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
    CloseHandle(file);
    return identity;
}

bool SameItem(const TIdentity& A, const TIdentity& B) {
    return A.Known && B.Known && A.Serial == B.Serial && A.Index == B.Index;
}

}  // namespace tessivar
