#include "shellext/ContextMenu.h"

#include "fs/FileSystem.h"
#include "settings/ShellIntegration.h"
#include "shellext/PropertyPage.h"
#include "shellext/Server.h"
#include "shellext/Texts.h"
#include "shellext/Volumes.h"
#include "shellext/Worker.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <utility>

namespace tessivar {

namespace {
enum { cmLinks, cmClone, cmQuenmoor };

struct TCommandInfo {
    const char* Verb;
    const char* Caption;
    const char* Help;
};

const TCommandInfo Commands[] = {
    {"CreateHardLinks", "Create hard links here", "Links the dragged files into this folder"},
    {"CreateHardLinkClone", "Create hard link clone here",
     "Recreates the dragged folders here and links every file in them"},
    {"CreateHardLinksWithQuenmoor", "Create hard links with Quenmoor...", "Opens Quenmoor with the selected files"},
};

// Gives the data back however reading ends.
struct TMedium {
    STGMEDIUM Data{};
    ~TMedium() { ReleaseStgMedium(&Data); }
};

// The names walked once: DragQueryFile would walk the list from its start
// for every name, which a drop of ten thousand files makes slow.
std::vector<std::wstring> DroppedNames(IDataObject* data) {
    std::vector<std::wstring> names;
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    TMedium medium;
    if (FAILED(data->GetData(&format, &medium.Data))) return names;
    SIZE_T size = GlobalSize(medium.Data.hGlobal);
    auto* drop = static_cast<const DROPFILES*>(GlobalLock(medium.Data.hGlobal));
    if (!drop) return names;
    if (size >= sizeof(DROPFILES) && drop->pFiles <= size) {
        const char* at = reinterpret_cast<const char*>(drop) + drop->pFiles;
        const char* end = reinterpret_cast<const char*>(drop) + size;
        if (drop->fWide) {
            for (auto* p = reinterpret_cast<const wchar_t*>(at);
                 reinterpret_cast<const char*>(p + 1) <= end && *p;) {
                size_t n = wcsnlen(p, (end - reinterpret_cast<const char*>(p)) / sizeof(wchar_t));
                names.emplace_back(p, n);
                p += n + 1;
            }
        } else {
            for (const char* p = at; p < end && *p;) {
                size_t n = strnlen(p, end - p);
                names.push_back(Widen(std::string(p, n)));
                p += n + 1;
            }
        }
    }
    GlobalUnlock(medium.Data.hGlobal);
    return names;
}

std::wstring ParentOf(const std::wstring& path) {
    size_t cut = path.find_last_of(L'\\');
    if (cut == std::wstring::npos) return path;
    // A file at a drive's root keeps the backslash: "C:" alone would mean
    // that drive's current folder.
    return path.substr(0, cut == 2 && path[1] == L':' ? 3 : cut);
}

// "C:\", "\\server\share\": the layer ends a path in a backslash only
// where no name follows its root.
bool IsRoot(const std::wstring& path) {
    std::wstring plain = fs::PlainPath(fs::ExtendedPath(std::wstring_view(path)));
    return !plain.empty() && plain.back() == L'\\';
}

std::wstring Quoted(const std::wstring& s) { return L"\"" + s + L"\""; }

// CreateProcessW takes at most 32,767 characters, the terminating zero
// included; a selection that makes a longer command line goes in a list.
constexpr size_t kCommandLineLimit = 32767;

// Closes a file however writing ends.
struct TFile {
    HANDLE Handle;
    ~TFile() {
        if (Handle != INVALID_HANDLE_VALUE) CloseHandle(Handle);
    }
};

// A new list file in the user's temporary folder, named as the program
// expects the extension's own; its path, or empty with the system's error.
std::wstring WriteList(const std::string& content) {
    std::wstring folder = fs::TemporaryFolder();
    if (folder.empty()) return folder;
    DWORD seed = GetTickCount() ^ (GetCurrentProcessId() << 16) ^ GetCurrentThreadId();
    for (DWORD attempt = 0; attempt < 1000; ++attempt) {
        wchar_t digits[9];
        swprintf(digits, 9, L"%08X", static_cast<unsigned>(seed + attempt * 2654435761u));
        std::wstring path = folder + ShellIntegration::ListPrefix + digits + ShellIntegration::ListSuffix;
        std::wstring extended = fs::ExtendedPath(std::wstring_view(path));
        TFile file{CreateFileW(extended.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY, nullptr)};
        if (file.Handle == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_FILE_EXISTS) continue;
            return std::wstring();
        }
        DWORD written = 0;
        if (WriteFile(file.Handle, content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
            written == content.size())
            return path;
        DWORD error = GetLastError();
        CloseHandle(std::exchange(file.Handle, INVALID_HANDLE_VALUE));
        DeleteFileW(extended.c_str());
        SetLastError(error);
        return std::wstring();
    }
    SetLastError(ERROR_FILE_EXISTS);
    return std::wstring();
}

template <class C>
HRESULT CopyOut(const std::basic_string<C>& text, C* out, UINT size) {
    size_t n = std::min<size_t>(text.size(), size - 1);
    std::memcpy(out, text.data(), n * sizeof(C));
    out[n] = 0;
    return S_OK;
}
}  // namespace

bool IsTessivarClass(REFCLSID Id) {
    CLSID ours;
    return SUCCEEDED(CLSIDFromString(Widen(ShellIntegration::ClassId).c_str(), &ours)) && IsEqualCLSID(ours, Id);
}

// ---- TTessivarMenu ----

STDMETHODIMP TTessivarMenu::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IShellExtInit))
        return Hand(static_cast<IShellExtInit*>(this), ppv);
    if (IsEqualIID(riid, IID_IShellPropSheetExt)) return Hand(static_cast<IShellPropSheetExt*>(this), ppv);
    return Hand(IsEqualIID(riid, IID_IContextMenu) ? static_cast<IContextMenu*>(this) : nullptr, ppv);
}

STDMETHODIMP TTessivarMenu::Initialize(PCIDLIST_ABSOLUTE pidlFolder, IDataObject* pdtobj, HKEY) {
    return Guarded([&]() -> HRESULT {
        // Explorer may initialise an object more than once. Nothing here
        // asks the disk: a right-click on thousands of files must not wait.
        commands_.clear();
        decided_ = false;
        sources_.clear();
        target_.clear();
        folder_.clear();
        names_.clear();
        if (!pdtobj) return E_INVALIDARG;
        names_ = DroppedNames(pdtobj);
        if (pidlFolder) folder_ = fs::ItemPath(pidlFolder);
        withFolder_ = pidlFolder != nullptr;
        return S_OK;
    });
}

std::vector<int> TTessivarMenu::ItemCommands() const {
    // One file among them is enough; a selection is mostly files.
    for (const std::wstring& name : names_) {
        DWORD a = GetFileAttributesW(fs::ExtendedPath(std::wstring_view(name)).c_str());
        if (a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY)) return {cmQuenmoor};
    }
    return {};
}

std::vector<int> TTessivarMenu::DropCommands() {
    DWORD attributes = GetFileAttributesW(fs::ExtendedPath(std::wstring_view(folder_)).c_str());
    if (folder_.empty() || attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return {};
    TVolume target = VolumeOf(folder_);
    if (!target.Known || !target.HardLinks) return {};
    // Dropped files mostly share one folder: its volume is asked once.
    std::wstring lastParent;
    TVolume parentVolume;
    bool files = false, folders = false;
    std::vector<TSource> sources;
    for (const std::wstring& name : names_) {
        DWORD a = GetFileAttributesW(fs::ExtendedPath(std::wstring_view(name)).c_str());
        if (a == INVALID_FILE_ATTRIBUTES) return {};
        TSource source{name, (a & FILE_ATTRIBUTE_DIRECTORY) != 0};
        TVolume volume;
        if (source.Folder) {
            volume = VolumeOf(name);
        } else {
            std::wstring parent = ParentOf(name);
            if (parent != lastParent) {
                parentVolume = VolumeOf(parent);
                lastParent = parent;
            }
            volume = parentVolume;
        }
        if (!volume.Known || volume.Serial != target.Serial) return {};
        // A whole drive is no folder to recreate: reading it alone could
        // take hours.
        if (!source.Folder) files = true;
        else if (!IsRoot(name)) folders = true;
        sources.push_back(std::move(source));
    }
    sources_ = std::move(sources);
    target_ = folder_;
    std::vector<int> commands;
    if (files) commands.push_back(cmLinks);
    if (folders) commands.push_back(cmClone);
    return commands;
}

void TTessivarMenu::Decide(bool drop) {
    commands_ = drop ? DropCommands() : ItemCommands();
    decided_ = true;
}

STDMETHODIMP TTessivarMenu::QueryContextMenu(HMENU hmenu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast,
                                             UINT uFlags) {
    return Guarded([&]() -> HRESULT {
        // None of the items is a default action.
        if (uFlags & CMF_DEFAULTONLY) return MAKE_HRESULT(SEVERITY_SUCCESS, FACILITY_NULL, 0);
        // Some hosts hand a right-click the items' folder too; only an item
        // menu says it may rename or is on an item.
        Decide(withFolder_ && !(uFlags & (CMF_ITEMMENU | CMF_CANRENAME)));
        TTexts texts;
        UINT added = 0;
        for (size_t i = 0; i < commands_.size() && idCmdFirst + i <= idCmdLast; ++i) {
            std::wstring caption = texts.Text(Commands[commands_[i]].Caption);
            MENUITEMINFOW item{};
            item.cbSize = sizeof item;
            item.fMask = MIIM_ID | MIIM_STRING | MIIM_FTYPE;
            item.fType = MFT_STRING;
            item.wID = idCmdFirst + static_cast<UINT>(i);
            item.dwTypeData = caption.data();
            if (!InsertMenuItemW(hmenu, indexMenu + static_cast<UINT>(i), TRUE, &item)) break;
            added = static_cast<UINT>(i) + 1;
        }
        return MAKE_HRESULT(SEVERITY_SUCCESS, FACILITY_NULL, added);
    });
}

int TTessivarMenu::CommandAt(const CMINVOKECOMMANDINFO& info) const {
    auto byVerb = [&](auto same) {
        for (size_t i = 0; i < commands_.size(); ++i)
            if (same(Commands[commands_[i]].Verb)) return static_cast<int>(i);
        return -1;
    };
    const auto& ex = reinterpret_cast<const CMINVOKECOMMANDINFOEX&>(info);
    if (info.cbSize >= sizeof(CMINVOKECOMMANDINFOEX) && (info.fMask & CMIC_MASK_UNICODE) && ex.lpVerbW &&
        !IS_INTRESOURCE(ex.lpVerbW))
        return byVerb([&](const char* verb) { return lstrcmpiW(Widen(verb).c_str(), ex.lpVerbW) == 0; });
    if (IS_INTRESOURCE(info.lpVerb)) {
        size_t offset = LOWORD(reinterpret_cast<UINT_PTR>(info.lpVerb));
        return offset < commands_.size() ? static_cast<int>(offset) : -1;
    }
    return byVerb([&](const char* verb) { return lstrcmpiA(verb, info.lpVerb) == 0; });
}

STDMETHODIMP TTessivarMenu::InvokeCommand(CMINVOKECOMMANDINFO* pici) {
    return Guarded([&]() -> HRESULT {
        if (!pici || pici->cbSize < sizeof(CMINVOKECOMMANDINFO)) return E_INVALIDARG;
        if (!decided_) Decide(withFolder_);
        int index = CommandAt(*pici);
        if (index < 0) return E_INVALIDARG;
        bool showUi = !(pici->fMask & CMIC_MASK_FLAG_NO_UI), wait = pici->fMask & CMIC_MASK_NOASYNC;
        switch (commands_[index]) {
        case cmLinks: return StartJob(std::make_unique<TLinkJob>(TDropCommand::Links, sources_, target_), showUi, wait);
        case cmClone: return StartJob(std::make_unique<TLinkJob>(TDropCommand::Clone, sources_, target_), showUi, wait);
        default: return StartQuenmoor(pici->hwnd, showUi);
        }
    });
}

std::wstring QuenmoorCommandLine(const std::wstring& program, const std::vector<std::wstring>& files,
                                 std::wstring& list) {
    list.clear();
    std::wstring line = Quoted(program);
    for (const std::wstring& file : files) line += L" " + Quoted(file);
    if (line.size() < kCommandLineLimit) return line;
    line = Quoted(program);
    std::string content, name;
    for (const std::wstring& file : files) {
        if (fs::NarrowExact(file, name, CP_UTF8)) content += name + "\r\n";
        else line += L" " + Quoted(file);  // no UTF-8 form: the program refuses it by name
    }
    list = WriteList(content);
    if (list.empty()) return std::wstring();
    return line + L" " + Quoted(ShellIntegration::ListSwitch + list);
}

HRESULT TTessivarMenu::StartQuenmoor(HWND owner, bool showUi) const {
    std::wstring program = ModuleFolder() + L"ombrel.exe", list;
    std::vector<std::wstring> files;
    for (const std::wstring& name : names_) {
        DWORD a = GetFileAttributesW(fs::ExtendedPath(std::wstring_view(name)).c_str());
        if (a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY)) files.push_back(name);
    }
    if (files.empty()) return E_INVALIDARG;
    // The program's folder lists start in the current folder: the first
    // file's, where the system can make it current.
    std::wstring folder = ParentOf(files.front());
    std::wstring commandLine = QuenmoorCommandLine(program, files, list);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (commandLine.empty() ||
        !CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.size() < MAX_PATH - 1 && fs::ExtendedPath(std::wstring_view(folder)) == folder
                            ? folder.c_str() : nullptr, &startup, &process)) {
        DWORD code = GetLastError();
        if (!list.empty()) DeleteFileW(fs::ExtendedPath(std::wstring_view(list)).c_str());
        if (showUi) MessageBoxW(owner, TTexts().Sentence(code).c_str(), L"Quenmoor", MB_OK | MB_ICONERROR);
        return HRESULT_FROM_WIN32(code);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return S_OK;
}

STDMETHODIMP TTessivarMenu::GetCommandString(UINT_PTR idCmd, UINT uType, UINT*, CHAR* pszName, UINT cchMax) {
    return Guarded([&]() -> HRESULT {
        if (!decided_) Decide(withFolder_);
        if (uType == GCS_VALIDATEA || uType == GCS_VALIDATEW) return idCmd < commands_.size() ? S_OK : S_FALSE;
        if (idCmd >= commands_.size() || !pszName || cchMax == 0) return E_INVALIDARG;
        const TCommandInfo& command = Commands[commands_[idCmd]];
        auto* wide = reinterpret_cast<wchar_t*>(pszName);
        switch (uType) {
        case GCS_VERBA: return CopyOut(std::string(command.Verb), pszName, cchMax);
        case GCS_VERBW: return CopyOut(Widen(command.Verb), wide, cchMax);
        case GCS_HELPTEXTA: return CopyOut(Narrow(TTexts().Text(command.Help)), pszName, cchMax);
        case GCS_HELPTEXTW: return CopyOut(TTexts().Text(command.Help), wide, cchMax);
        default: return E_INVALIDARG;
        }
    });
}

STDMETHODIMP TTessivarMenu::AddPages(LPFNSVADDPROPSHEETPAGE pfnAddPage, LPARAM lParam) {
    return Guarded([&]() -> HRESULT {
        if (!pfnAddPage || names_.size() != 1) return S_OK;
        const std::wstring& path = names_.front();
        const DWORD a = GetFileAttributesW(fs::ExtendedPath(std::wstring_view(path)).c_str());
        if (a == INVALID_FILE_ATTRIBUTES || (a & FILE_ATTRIBUTE_DIRECTORY) || !VolumeOf(ParentOf(path)).HardLinks)
            return S_OK;
        return AddHardLinksPage(path, pfnAddPage, lParam);
    });
}

// ---- TTessivarFactory ----

STDMETHODIMP TTessivarFactory::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    bool known = IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory);
    return Hand(known ? static_cast<IClassFactory*>(this) : nullptr, ppv);
}

STDMETHODIMP TTessivarFactory::CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv) {
    return Guarded([&]() -> HRESULT {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (pUnkOuter) return CLASS_E_NOAGGREGATION;
        auto* menu = new TTessivarMenu;
        HRESULT hr = menu->QueryInterface(riid, ppv);
        menu->Release();
        return hr;
    });
}

STDMETHODIMP TTessivarFactory::LockServer(BOOL fLock) {
    if (fLock) Lock();
    else Unlock();
    return S_OK;
}

}  // namespace tessivar
