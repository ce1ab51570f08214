// Which volume a path lies on, and whether that volume can hold hard links.
#pragma once

#include <windows.h>

#include <string>

namespace tessivar {

struct TVolume {
    bool Known = false;  // false when the volume could not be queried
    DWORD Serial = 0;
    bool HardLinks = false;
};

TVolume VolumeOf(const std::wstring& Path);

// The volume's flags say so; or, as the program's volume list judges, its
// file system is "NTFS" (Wine and older systems never set the flag).
bool HoldsHardLinks(DWORD Flags, const std::wstring& FileSystem);

}  // namespace tessivar
