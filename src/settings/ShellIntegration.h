// Registration of the Tessivar Explorer extension: context-menu and
// property-sheet handler for all files, drag-and-drop handler for files and
// folders.
//
// The table of keys is plain data so that the extension's own
// DllRegisterServer writes exactly what the options window writes. Whose the
// registration is, and whether Explorer can load this build's extension, are
// shared with the extension (ClassOwner.cpp); Register, Unregister and
// IsRegistered are the options window's and use the program's registry
// object.
#pragma once

#include <windows.h>

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

// Whose the class is in one registry view (0: the program's own): nobody's
// when it names no server, This when its server is the file ServerPath
// (compared as files, not as spellings), else another copy's.
enum class Owner { Nobody, This, Another };
Owner ClassOwner(const std::wstring& ServerPath, REGSAM View = 0);

// What removing ServerPath's integration may delete: the class only where it
// is this server's or nobody's; the handler keys, which 32-bit and 64-bit
// programs share, only when the class is another copy's in neither view.
class Removal {
public:
    explicit Removal(const std::wstring& ServerPath);
    bool Deletes(const Entry& entry) const;

private:
    bool class_, handlers_;
};

// Whether Explorer can load this build's extension. It runs native to the
// system, so not when this program runs under WOW64 (a 32-bit build on 64-bit
// Windows). The lookups are the system's IsWow64Process2 (Windows 10 1511
// and later) and IsWow64Process (XP SP2 and later); either may be missing.
using IsWow64Process2Fn = BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*);
using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, BOOL*);
bool ExplorerLoadsThisBuild(IsWow64Process2Fn isWow64Process2, IsWow64ProcessFn isWow64Process);
bool ExplorerLoadsThisBuild();

// Writes the entries; the in-process server is ProgramFolder (ending in a
// backslash) + "tessivar.dll". Creates the stored language "English" when
// there is none. Raises "Failed to set data for '%s'" and stops at the first
// key that cannot be created, before writing anything into it.
void Register(const std::string& ProgramFolder);
// Deletes the entries that Removal allows for ProgramFolder's server; missing
// or protected keys are left without a word.
void Unregister(const std::string& ProgramFolder);
// True only when all the keys open with full access and the class is
// ProgramFolder's: the check box tells whether this user can change this
// copy's integration, not only whether some copy's is there.
bool IsRegistered(const std::string& ProgramFolder);

}  // namespace ShellIntegration
