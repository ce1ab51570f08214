// Which volume a path lies on, whether that volume can hold hard links, and
// which folder a path names whatever its spelling.
#pragma once

#include "fs/FileSystem.h"

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

// One file or folder, whatever the spelling: identities taken through links,
// so a junction, a mount point or a drive alias of a folder is that folder.
bool SameItem(const fs::TFileIdentity& A, const fs::TFileIdentity& B);

}  // namespace tessivar
