// Registration of the Tessivar Explorer extension: context-menu and
// property-sheet handler for all files, drag-and-drop handler for files and
// folders.
//
// The table of keys is plain data so that the extension's own
// DllRegisterServer writes exactly what the options window writes; the
// functions below are the options window's and use the program's registry
// object.
#pragma once

#include <string>

namespace ShellIntegration {

inline constexpr char ClassId[] = "{5D1E7A20-9C43-4F0B-8A6E-3B72C915D4E8}";
// The in-process server, beside the program.
inline constexpr char ServerFile[] = "tessivar.dll";

struct Value {
    const char* Name;  // "" is the key's default value
    const char* Data;  // nullptr: the server's full path
};

struct Entry {
    // From HKEY_CLASSES_ROOT; the leading backslash says so to the program's
    // registry object.
    const char* Key;
    Value Values[2];
    int ValueCount;
    // Removal deletes this key with its subkeys; keys below a removed one go
    // with it.
    bool Removed;
};

// In the order they are written and checked.
inline constexpr Entry Entries[] = {
    {"\\*\\shellex\\ContextMenuHandlers\\Tessivar", {{"", ClassId}}, 1, true},
    {"\\*\\shellex\\DragDropHandlers\\Tessivar", {{"", ClassId}}, 1, true},
    {"\\Directory\\shellex\\DragDropHandlers\\Tessivar", {{"", ClassId}}, 1, true},
    {"\\*\\shellex\\PropertySheetHandlers\\Tessivar", {{"", ClassId}}, 1, true},
    {"\\CLSID\\{5D1E7A20-9C43-4F0B-8A6E-3B72C915D4E8}", {}, 0, true},
    {"\\CLSID\\{5D1E7A20-9C43-4F0B-8A6E-3B72C915D4E8}\\InProcServer32",
     {{"", nullptr}, {"ThreadingModel", "Apartment"}}, 2, false},
};

// Where the program keeps its language under HKEY_LOCAL_MACHINE; the
// extension reads it too.
inline constexpr char SettingsKey[] = "Software\\Quenmoor";
inline constexpr char LanguageValue[] = "Language";

// "Create hard links with Quenmoor..." hands the program a selection too long
// for one command line as a list file, named after this switch. The program
// deletes only lists that lie where the extension writes them: in the user's
// temporary folder, named ListPrefix, eight hex digits and ListSuffix.
inline constexpr wchar_t ListSwitch[] = L"/list:";
inline constexpr wchar_t ListPrefix[] = L"Quenmoor-";
inline constexpr wchar_t ListSuffix[] = L".lst";

// Writes the entries; the in-process server is ProgramFolder (ending in a
// backslash) + "tessivar.dll". Creates the stored language "English" when
// there is none. Raises "Failed to set data for '%s'" and stops at the first
// key that cannot be created, before writing anything into it.
void Register(const std::string& ProgramFolder);
// Deletes the entries; missing or protected keys are left without a word.
void Unregister();
// True only when all keys open with full access: the check box tells
// whether this user can change the integration, not only whether it is there.
bool IsRegistered();

}  // namespace ShellIntegration
