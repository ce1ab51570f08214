// Ombrel.dll: makes one hard link. A failure leaves the system's last error
// exactly as the failing call set it, for the caller to read at once.
#include "fs/FileSystem.h"

#include <windows.h>

// Paths in the process code page; long ones and names ending in a dot or a
// space are taken as they are.
extern "C" __declspec(dllexport) int __stdcall CreateLink(const char* newPath, const char* existingPath,
                                                          DWORD* /*reserved*/) {
    if (!newPath || !existingPath) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return fs::CreateHardLink(newPath, existingPath) ? 1 : 0;
}

extern "C" __declspec(dllexport) int __stdcall CreateLinkW(const wchar_t* newPath, const wchar_t* existingPath,
                                                           DWORD* /*reserved*/) {
    if (!newPath || !existingPath) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return CreateHardLinkW(fs::ExtendedPath(std::wstring_view(newPath)).c_str(),
                           fs::ExtendedPath(std::wstring_view(existingPath)).c_str(), nullptr)
               ? 1
               : 0;
}
