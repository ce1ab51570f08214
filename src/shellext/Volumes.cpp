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

bool SameItem(const fs::TFileIdentity& A, const fs::TFileIdentity& B) {
    return A.Known && B.Known && A.Volume == B.Volume && A.Index == B.Index;
}

}  // namespace tessivar
