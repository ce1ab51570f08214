#include "fs/FileSystem.h"

#include <algorithm>
#include <cwctype>

namespace fs {

namespace {

bool IsUtf8(UINT codePage) {
    static const UINT acp = GetACP();
    return codePage == CP_UTF8 || (codePage == CP_ACP && acp == CP_UTF8);
}

bool Slash(wchar_t c) { return c == L'\\' || c == L'/'; }

bool StartsWith(std::wstring_view s, std::wstring_view head) { return s.substr(0, head.size()) == head; }

// Below this length every call takes the plain form (CreateDirectoryW's limit
// is the lowest: MAX_PATH less room for an 8.3 name).
constexpr size_t kPlainLimit = MAX_PATH - 12;

// CON, AUX, NUL, COM1 ... as the plain form reads them, also with an
// extension: a device, not the file of that name.
bool DeviceName(std::wstring_view name) {
    name = name.substr(0, name.find(L'.'));
    while (!name.empty() && name.back() == L' ') name.remove_suffix(1);
    auto is = [&](std::wstring_view device) {
        return CompareStringOrdinal(name.data(), static_cast<int>(name.size()), device.data(),
                                    static_cast<int>(device.size()), TRUE) == CSTR_EQUAL;
    };
    if (is(L"CON") || is(L"PRN") || is(L"AUX") || is(L"NUL") || is(L"CONIN$") || is(L"CONOUT$")) return true;
    return name.size() == 4 && name[3] >= L'1' && name[3] <= L'9' &&
           (is(std::wstring(L"COM") + name[3]) || is(std::wstring(L"LPT") + name[3]));
}

// The answer of a call that fills a buffer and asks for a larger one.
template <class Call>
std::wstring Grown(Call call) {
    std::wstring buf(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = call(buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return std::wstring();
        if (n < buf.size()) {
            buf.resize(n);
            return buf;
        }
        buf.resize(n + 1);
    }
}

std::wstring SystemFolder() {
    return PlainPath(Grown([](wchar_t* buf, DWORD size) { return GetCurrentDirectoryW(size, buf); }));
}

// A current folder that the system cannot hold (Wine overruns its buffer
// past MAX_PATH; Windows refuses it without the long-path opt-in): kept here,
// with the system's own at an ancestor. It holds while nobody else moves the
// system's.
struct {
    std::wstring folder, systemAt;
} g_long;

std::wstring CurrentFolderW() {
    std::wstring system = SystemFolder();
    if (!g_long.folder.empty()) {
        if (system == g_long.systemAt) return g_long.folder;
        g_long.folder.clear();
    }
    return system;
}

// The root of an absolute plain path: "X:" or "\\server\share"; empty when
// the path has none.
std::wstring RootOf(std::wstring_view path) {
    if (path.size() >= 2 && path[1] == L':') return std::wstring(path.substr(0, 2));
    if (path.size() >= 2 && Slash(path[0]) && Slash(path[1])) {
        size_t server = path.find_first_of(L"\\/", 2);
        if (server == std::wstring_view::npos) return std::wstring(path);
        size_t share = path.find_first_of(L"\\/", server + 1);
        std::wstring root(path.substr(0, share));
        for (wchar_t& c : root)
            if (c == L'/') c = L'\\';
        return root;
    }
    return std::wstring();
}

// The folder that "X:name" starts from: the current folder when it is on X,
// else the one the system remembers for X, else its root.
std::wstring DriveFolder(wchar_t drive) {
    std::wstring cur = CurrentFolderW();
    if (cur.size() >= 2 && cur[1] == L':' && std::towupper(cur[0]) == std::towupper(drive)) return cur;
    wchar_t var[] = {L'=', static_cast<wchar_t>(std::towupper(drive)), L':', 0};
    std::wstring remembered = Grown([&](wchar_t* buf, DWORD size) { return GetEnvironmentVariableW(var, buf, size); });
    return remembered.empty() ? std::wstring{drive, L':', L'\\'} : remembered;
}

}  // namespace

std::wstring Widen(std::string_view text, UINT codePage) {
    if (text.empty()) return std::wstring();
    std::wstring out(text.size(), L'\0');  // never more units than bytes
    int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(),
                                static_cast<int>(out.size()));
    out.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return out;
}

bool NarrowExact(std::wstring_view text, std::string& out, UINT codePage) {
    out.clear();
    if (text.empty()) return true;
    out.resize(text.size() * 4);
    const int size = static_cast<int>(out.size()), count = static_cast<int>(text.size());
    if (IsUtf8(codePage)) {
        // Only an unpaired surrogate has no UTF-8 form.
        int n = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.data(), count, out.data(), size, nullptr, nullptr);
        if (n > 0) {
            out.resize(static_cast<size_t>(n));
            return true;
        }
        n = WideCharToMultiByte(CP_UTF8, 0, text.data(), count, out.data(), size, nullptr, nullptr);
        out.resize(n > 0 ? static_cast<size_t>(n) : 0);
        return false;
    }
    BOOL usedDefault = FALSE;
    const char fallback = '?';
    int n = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, text.data(), count, out.data(), size, &fallback,
                                &usedDefault);
    out.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return n > 0 && !usedDefault;
}

std::string Narrow(std::wstring_view text, UINT codePage) {
    std::string out;
    NarrowExact(text, out, codePage);
    return out;
}

std::wstring PlainPath(std::wstring_view path) {
    if (StartsWith(path, L"\\\\?\\UNC\\")) return L"\\" + std::wstring(path.substr(7));
    if (StartsWith(path, L"\\\\?\\") && path.size() >= 6 && path[5] == L':') return std::wstring(path.substr(4));
    return std::wstring(path);
}

std::wstring ExtendedPath(std::wstring_view path) {
    if (path.empty() || StartsWith(path, L"\\\\?\\") || StartsWith(path, L"\\\\.\\")) return std::wstring(path);
    // The root, and the rest of the path below it.
    std::wstring root = RootOf(path), base;
    std::wstring_view rest = path.substr(root.size());
    if (root.size() == 2 && (rest.empty() || !Slash(rest[0]))) {
        base = DriveFolder(root[0]);  // "X:name"
    } else if (root.empty()) {
        base = CurrentFolderW();
        if (!rest.empty() && Slash(rest[0])) base = RootOf(base);  // "\name": the current root
    }
    if (!base.empty()) {
        root = RootOf(base);
        std::wstring joined = base.substr(root.size()) + L"\\" + std::wstring(rest);
        return ExtendedPath(root + (joined[0] == L'\\' ? L"" : L"\\") + joined);
    }
    // The names below the root, "." and ".." resolved, each kept as it is.
    std::vector<std::wstring_view> names;
    bool trimmed = false;
    while (!rest.empty()) {
        size_t cut = rest.find_first_of(L"\\/");
        std::wstring_view name = rest.substr(0, cut);
        rest.remove_prefix(cut == std::wstring_view::npos ? rest.size() : cut + 1);
        if (name.empty() || name == L".") continue;
        if (name == L"..") {
            if (!names.empty()) names.pop_back();
            continue;
        }
        names.push_back(name);
    }
    std::wstring full = root;
    for (std::wstring_view name : names) {
        full += L'\\';
        full += name;
        trimmed |= name.back() == L'.' || name.back() == L' ' || DeviceName(name);
    }
    if (names.empty()) full += L'\\';
    if (!trimmed && full.size() < kPlainLimit) return full;
    return full[0] == L'\\' ? L"\\\\?\\UNC" + full.substr(1) : L"\\\\?\\" + full;
}

std::wstring ExtendedPath(const std::string& path) { return ExtendedPath(std::wstring_view(Widen(path))); }

std::string FullPath(const std::string& path) { return Narrow(PlainPath(ExtendedPath(path))); }

std::string CurrentFolder() { return Narrow(CurrentFolderW()); }

bool SetCurrentFolder(const std::string& path) {
    const std::wstring full = ExtendedPath(path), plain = PlainPath(full);
    if (full == plain && plain.size() < MAX_PATH - 1) {
        if (!SetCurrentDirectoryW(plain.c_str())) return false;
        g_long.folder.clear();
        return true;
    }
    DWORD attributes = GetFileAttributesW(full.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        SetLastError(ERROR_DIRECTORY);
        return false;
    }
    std::wstring ancestor = plain;
    const size_t root = RootOf(plain).size() + 1;
    while (ancestor.size() > root && ExtendedPath(ancestor) != ancestor)
        ancestor.resize(std::max(ancestor.find_last_of(L'\\'), root));
    SetCurrentDirectoryW(ancestor.c_str());
    g_long = {plain, SystemFolder()};
    return true;
}

DWORD Attributes(const std::string& path) { return GetFileAttributesW(ExtendedPath(path).c_str()); }

bool IsFolder(const std::string& path) {
    DWORD a = Attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFile(const std::string& path) {
    DWORD a = Attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool CreateFolder(const std::string& path) { return CreateDirectoryW(ExtendedPath(path).c_str(), nullptr); }

bool CreateHardLink(const std::string& newPath, const std::string& existingPath) {
    return CreateHardLinkW(ExtendedPath(newPath).c_str(), ExtendedPath(existingPath).c_str(), nullptr);
}

bool Move(const std::string& from, const std::string& to) {
    return MoveFileW(ExtendedPath(from).c_str(), ExtendedPath(to).c_str());
}

bool Delete(const std::string& path) { return DeleteFileW(ExtendedPath(path).c_str()); }

HANDLE Open(const std::string& path, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
    return CreateFileW(ExtendedPath(path).c_str(), access, share, nullptr, disposition, flags, nullptr);
}

bool VolumeInformation(const std::string& root, std::string* label, DWORD* serial, DWORD* flags,
                       std::string* fileSystem) {
    std::wstring path = ExtendedPath(root);
    if (!path.empty() && path.back() != L'\\') path += L'\\';
    wchar_t labelBuf[MAX_PATH + 1] = {}, systemBuf[MAX_PATH + 1] = {};
    if (!GetVolumeInformationW(path.c_str(), label ? labelBuf : nullptr, label ? MAX_PATH + 1 : 0, serial, nullptr,
                               flags, fileSystem ? systemBuf : nullptr, fileSystem ? MAX_PATH + 1 : 0))
        return false;
    if (label) *label = Narrow(labelBuf);
    if (fileSystem) *fileSystem = Narrow(systemBuf);
    return true;
}

std::string LongName(const std::string& path) {
    std::wstring extended = ExtendedPath(path);
    std::wstring found = Grown([&](wchar_t* buf, DWORD size) { return GetLongPathNameW(extended.c_str(), buf, size); });
    std::string out;
    if (found.empty() || !NarrowExact(PlainPath(found), out)) return path;
    return out;
}

std::string ModuleFileName(HMODULE module) {
    std::wstring buf(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(module, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return std::string();
        if (n < buf.size()) {
            buf.resize(n);
            return Narrow(PlainPath(buf));
        }
        buf.resize(buf.size() * 2);
    }
}

bool ReadWhole(std::wstring_view path, std::string& bytes, size_t limit) {
    HANDLE file = CreateFileW(ExtendedPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    DWORD read = 0;
    bool ok = GetFileSizeEx(file, &size) && static_cast<ULONGLONG>(size.QuadPart) <= limit;
    if (ok) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        ok = bytes.empty() || (ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) &&
                               read == bytes.size());
    }
    if (!ok && GetLastError() == ERROR_SUCCESS) SetLastError(ERROR_READ_FAULT);
    CloseHandle(file);
    return ok;
}

std::wstring TemporaryFolder() {
    std::wstring folder = Grown([](wchar_t* buf, DWORD size) { return GetTempPathW(size, buf); });
    if (folder.empty()) return folder;
    folder = PlainPath(ExtendedPath(std::wstring_view(folder)));
    if (folder.back() != L'\\') folder += L'\\';
    return folder;
}

std::wstring ItemPath(const ITEMIDLIST* item) {
    using PathEx = BOOL(WINAPI*)(const ITEMIDLIST*, PWSTR, DWORD, int);
    using Path = BOOL(WINAPI*)(const ITEMIDLIST*, PWSTR);
    HMODULE shell = GetModuleHandleW(L"shell32.dll");
    // Vista and later fill a buffer of any size; before, no path is longer
    // than MAX_PATH.
    const auto ex = reinterpret_cast<PathEx>(GetProcAddress(shell, "SHGetPathFromIDListEx"));
    const auto plain = reinterpret_cast<Path>(GetProcAddress(shell, "SHGetPathFromIDListW"));
    std::wstring path;
    for (DWORD size : {DWORD{MAX_PATH}, DWORD{32768}}) {
        path.assign(size, L'\0');
        if (ex ? ex(item, path.data(), size, 0) : plain && plain(item, path.data())) {
            path.resize(wcslen(path.c_str()));
            return PlainPath(path);
        }
        if (!ex) break;
    }
    return std::wstring();
}

bool List(const std::string& folder, const std::string& mask, std::vector<Entry>& out) {
    std::wstring pattern = ExtendedPath(folder);
    if (pattern.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    if (pattern.back() != L'\\') pattern += L'\\';
    pattern += Widen(mask);
    WIN32_FIND_DATAW fd;
    // Without short names where the system knows how (Windows 7 and later).
    HANDLE find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE && GetLastError() == ERROR_INVALID_PARAMETER)
        find = FindFirstFileW(pattern.c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
    std::string name;
    do {
        bool exact = NarrowExact(fd.cFileName, name);
        out.push_back({name, fd.dwFileAttributes, exact});
    } while (FindNextFileW(find, &fd));
    FindClose(find);
    return true;
}

namespace {
// Short names expanded where the file is there to ask.
std::wstring LongForm(std::wstring_view path) {
    std::wstring extended = ExtendedPath(path);
    std::wstring found = Grown([&](wchar_t* buf, DWORD size) { return GetLongPathNameW(extended.c_str(), buf, size); });
    return PlainPath(found.empty() ? extended : found);
}
}  // namespace

TFileIdentity Identify(std::wstring_view path, bool throughLinks) {
    const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (throughLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    HANDLE h = Open(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING, flags);
    if (h == INVALID_HANDLE_VALUE) return {};
    BY_HANDLE_FILE_INFORMATION info{};
    TFileIdentity identity;
    if (GetFileInformationByHandle(h, &info))
        identity = {true, info.dwFileAttributes, info.dwVolumeSerialNumber,
                    (static_cast<ULONGLONG>(info.nFileIndexHigh) << 32) | info.nFileIndexLow, false};
    CloseHandle(h);
    return identity;
}

bool NamesOfOneFile(const TFileIdentity& a, const TFileIdentity& b) {
    // A symbolic link or junction is a name of its own, whatever it leads to;
    // an index of 0, or one the file system makes up, says nothing.
    auto known = [](const TFileIdentity& i) {
        return i.Known && !(i.Attributes & FILE_ATTRIBUTE_REPARSE_POINT) && i.StableIndex && i.Index != 0;
    };
    return known(a) && known(b) && a.Volume == b.Volume && a.Index == b.Index;
}

bool StableIndices(HANDLE file) {
    // The longest name a file system has, as the call documents it.
    wchar_t name[MAX_PATH + 1] = {};
    GetVolumeInformationByHandleW(file, nullptr, 0, nullptr, nullptr, nullptr, name, MAX_PATH + 1);
    return lstrcmpiW(name, L"NTFS") == 0 || lstrcmpiW(name, L"ReFS") == 0;
}

bool OneFile(std::wstring_view a, std::wstring_view b) {
    const TFileIdentity ia = Identify(a, true), ib = Identify(b, true);
    if (ia.Known && ib.Known && ia.Index && ib.Index) return ia.Volume == ib.Volume && ia.Index == ib.Index;
    std::wstring la = LongForm(a), lb = LongForm(b);
    return CompareStringOrdinal(la.c_str(), static_cast<int>(la.size()), lb.c_str(), static_cast<int>(lb.size()), TRUE) ==
           CSTR_EQUAL;
}

HANDLE Open(std::wstring_view path, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
    return CreateFileW(ExtendedPath(path).c_str(), access, share, nullptr, disposition, flags, nullptr);
}

bool ListDetailed(const std::string& folder, std::vector<DetailedEntry>& out) {
    std::wstring pattern = ExtendedPath(folder);
    if (pattern.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    if (pattern.back() != L'\\') pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE && GetLastError() == ERROR_INVALID_PARAMETER)
        find = FindFirstFileW(pattern.c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
    std::string name;
    do {
        const wchar_t* n = fd.cFileName;
        if (n[0] == L'.' && (n[1] == 0 || (n[1] == L'.' && n[2] == 0))) continue;
        bool exact = NarrowExact(n, name);
        out.push_back({name, fd.dwFileAttributes, exact,
                       (static_cast<ULONGLONG>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow,
                       (static_cast<ULONGLONG>(fd.ftLastWriteTime.dwHighDateTime) << 32) | fd.ftLastWriteTime.dwLowDateTime});
    } while (FindNextFileW(find, &fd));
    FindClose(find);
    return true;
}

}  // namespace fs
