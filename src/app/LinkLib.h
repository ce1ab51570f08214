// The link library's one function, imported statically: without Ombrel.dll
// the program does not start.
#pragma once

#include <windows.h>

extern "C" __declspec(dllimport) int __stdcall CreateLink(const char* newPath, const char* existingPath,
                                                          DWORD* reserved);
// The same for callers that hold UTF-16.
extern "C" __declspec(dllimport) int __stdcall CreateLinkW(const wchar_t* newPath, const wchar_t* existingPath,
                                                           DWORD* reserved);

// Only the low 8 bits of the result count.
inline bool LinkCreated(int result) { return (result & 0xFF) != 0; }
