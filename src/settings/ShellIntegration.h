// Registration of the Tessivar Explorer extension: context-menu handler for
// all files, drag-and-drop handler for files and folders.
#pragma once

#include <string>
#include <vector>

namespace ShellIntegration {

extern const char* const ClassId;
// The five keys under HKEY_CLASSES_ROOT, in the order they are checked.
const std::vector<std::string>& Keys();

// Writes the entries; the in-process server is ProgramFolder (ending in a
// backslash) + "tessivar.dll". Creates the stored language "English" when
// there is none. Raises "Failed to set data for '%s'" and stops at the first
// key that cannot be created, before writing anything into it.
void Register(const std::string& ProgramFolder);
// Deletes the entries; missing or protected keys are left without a word.
void Unregister();
// True only when all five keys open with full access: the check box tells
// whether this user can change the integration, not only whether it is there.
bool IsRegistered();

}  // namespace ShellIntegration
