// Ombrel.dll: makes one hard link. A failure leaves the system's last error
// exactly as the failing call set it, for the caller to read at once.
#include <windows.h>

extern "C" __declspec(dllexport) int __stdcall CreateLink(const char* newPath, const char* existingPath,
                                                          DWORD* /*reserved*/) {
    return CreateHardLinkA(newPath, existingPath, nullptr) ? 1 : 0;
}
