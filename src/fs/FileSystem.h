// The one door to the disk. Paths arrive as strings in the process code page
// (UTF-8 where the system allows it); each call converts to UTF-16, makes the
// path absolute, adds "\\?\" where the system would otherwise cut or trim it,
// and calls the wide function. A failure leaves the system's last error.
// Free of the toolkit: the link library and the Explorer extension use it too.
#pragma once

#include <windows.h>
#include <shtypes.h>

#include <string>
#include <string_view>
#include <vector>

namespace fs {

// Process code page (or the one given) to UTF-16.
std::wstring Widen(std::string_view text, UINT codePage = CP_ACP);
// UTF-16 to the code page. False when a character has no exact form there:
// no best-fit look-alike is ever made, so "Ŝample" never becomes "Sample";
// out then holds '?' in its place, which no file name can hold.
bool NarrowExact(std::wstring_view text, std::string& out, UINT codePage = CP_ACP);
// The same for texts that are only shown.
std::string Narrow(std::wstring_view text, UINT codePage = CP_ACP);

// The absolute path, in the form the wide calls take: "\\?\" (or "\\?\UNC\")
// in front where the path is long or one of its names ends in a dot or a
// space, which the plain form would trim. Relative paths resolve against the
// current folder; "." and ".." are resolved; names are kept as they are.
std::wstring ExtendedPath(std::wstring_view path);
std::wstring ExtendedPath(const std::string& path);
// The absolute path without the prefix, in the process code page.
std::string FullPath(const std::string& path);
// A path of the system's (maybe "\\?\"-prefixed) in its plain form.
std::wstring PlainPath(std::wstring_view path);

// The process's current folder. One longer than the system can hold is kept
// by this module alone: other modules resolve relative paths against the
// system's own, an ancestor of it.
std::string CurrentFolder();
bool SetCurrentFolder(const std::string& path);

DWORD Attributes(const std::string& path);  // INVALID_FILE_ATTRIBUTES on failure
bool IsFolder(const std::string& path);
bool IsFile(const std::string& path);
bool CreateFolder(const std::string& path);
bool CreateHardLink(const std::string& newPath, const std::string& existingPath);
bool Move(const std::string& from, const std::string& to);
bool Delete(const std::string& path);
HANDLE Open(const std::string& path, DWORD access, DWORD share, DWORD disposition, DWORD flags);
// Of the volume that holds root ("C:\", "\\server\share\").
bool VolumeInformation(const std::string& root, std::string* label, DWORD* serial, DWORD* flags,
                       std::string* fileSystem);
// The name as the disk spells it (long names, the case on disk); path when unknown.
std::string LongName(const std::string& path);
// The program's own file.
std::string ModuleFileName(HMODULE module);
// A whole file of at most limit bytes, read and closed at once; false (with
// the system's error) when it cannot be read.
bool ReadWhole(std::wstring_view path, std::string& bytes, size_t limit);
// The user's temporary folder, ending in a backslash; empty when unknown.
std::wstring TemporaryFolder();
// The file-system path of a shell item, however long; empty when it has none.
// The caller holds an item, so shell32 is loaded.
std::wstring ItemPath(const ITEMIDLIST* item);

struct Entry {
    std::string name;
    DWORD attributes;
    bool exact;  // false: the name cannot be carried in the process code page
};
// Every entry that a search for mask in folder returns ("." and ".." too).
// False (with the system's error) when the folder cannot be read.
bool List(const std::string& folder, const std::string& mask, std::vector<Entry>& out);

// Open for a path in UTF-16: names that the process code page may lack.
HANDLE Open(std::wstring_view path, DWORD access, DWORD share, DWORD disposition, DWORD flags);

// What tells two names of one file apart from two files.
struct TFileIdentity {
    bool Known = false;
    DWORD Attributes = 0;
    DWORD Volume = 0;
    ULONGLONG Index = 0;
    bool StableIndex = false;  // a file system whose file indices last (NTFS, ReFS)
};
// What the system says of the name itself, or, through links, of what a
// junction, mount point or symbolic link leads to. StableIndex is not asked.
TFileIdentity Identify(std::wstring_view path, bool throughLinks);
// Two names are one file only where both identities are real ones.
bool NamesOfOneFile(const TFileIdentity& a, const TFileIdentity& b);
// Whether the volume of an open file keeps its file indices (NTFS, ReFS).
bool StableIndices(HANDLE file);

// Whether two paths name one file: by volume serial and file index when both
// open and the index is not 0, else by their full long forms in any case.
bool OneFile(std::wstring_view a, std::wstring_view b);

struct DetailedEntry {
    std::string name;
    DWORD attributes;
    bool exact;
    ULONGLONG size;
    ULONGLONG modified;  // last write time, in FILETIME units
};
// Every entry of a folder but "." and "..", with size and last write time,
// fetched in large batches. False (with the system's error) when the folder
// cannot be read.
bool ListDetailed(const std::string& folder, std::vector<DetailedEntry>& out);

}  // namespace fs
