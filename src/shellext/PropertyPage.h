// The page "Hard Links" in the Properties of a file: its link count and every
// name of it, read on a thread of its own and shown as they are found.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>

namespace tessivar {

// Adds the page for the file at Path; the server stays locked while the
// page lives.
HRESULT AddHardLinksPage(const std::wstring& Path, LPFNSVADDPROPSHEETPAGE AddPage, LPARAM Param);

}  // namespace tessivar
