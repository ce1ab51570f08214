// The extension's own registration, from the table the options window uses.
#pragma once

#include <windows.h>

#include <string>

namespace tessivar {

// Writes every key and value of the table, the server being ServerPath.
// Stops at the first key or value that cannot be written.
HRESULT RegisterServer(const std::wstring& ServerPath);
// Deletes the table's keys with their subkeys where they are ServerPath's or
// nobody's (ShellIntegration::Removal); another copy's registration stays.
// Missing keys are no error.
HRESULT UnregisterServer(const std::wstring& ServerPath);

}  // namespace tessivar
