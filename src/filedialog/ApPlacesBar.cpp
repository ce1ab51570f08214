#include "filedialog/ApPlacesBar.h"

#include "fs/FileSystem.h"
#include "toolkit/Controls.h"
#include "toolkit/Dialogs.h"

#include <shlwapi.h>

#include <algorithm>
#include <limits>
#include <iterator>

namespace {

// In the order of TApSpecShellFolder.
constexpr int kCsidl[] = {-1976, 10, 25, 23, 22, 24, 3, 0, 16, 17, 20, 19, 18, 5, 6, 4, 2, 8, 9, 11, 7, 21};
static_assert(std::size(kCsidl) == ftTemplates + 1);

// A key path as the registry functions take it: no backslash at either end
// (a leading one means the root, which is where they start anyway).
std::string KeyPath(std::string path) {
    while (!path.empty() && path.front() == '\\') path.erase(0, 1);
    while (!path.empty() && path.back() == '\\') path.pop_back();
    return path;
}

tk::RegKey OpenKey(HKEY root, const std::string& path) {
    tk::RegKey key;
    if (RegOpenKeyExA(root, KeyPath(path).c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) key.reset();
    return key;
}

// A string value; the fallback when it is missing or of another type.
std::string ReadString(HKEY key, const char* name, const std::string& fallback = {}) {
    DWORD type = 0, size = 0;
    if (!key || RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return fallback;
    std::string value(size + 1, '\0');
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size) != ERROR_SUCCESS)
        return fallback;
    value.resize(strnlen(value.c_str(), value.size()));
    return value;
}

int ReadInt(HKEY key, const char* name, int fallback) {
    DWORD type = 0, value = 0, size = sizeof value;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
        return fallback;
    return static_cast<int>(value);
}

void WriteString(HKEY key, const char* name, const std::string& value) {
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
}

void WriteInt(HKEY key, const char* name, int value) {
    const auto data = static_cast<DWORD>(value);
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
}

// The number of a subkey that saving wrote ("Place_12"); past every number
// for any other subkey.
long long PlaceIndex(const std::string& name) {
    const std::string prefix = "Place_";
    if (name.size() <= prefix.size() || !tk::SameText(name.substr(0, prefix.size()), prefix) ||
        name.size() > prefix.size() + 9 || name.find_first_not_of("0123456789", prefix.size()) != std::string::npos)
        return std::numeric_limits<long long>::max();
    return std::stoll(name.substr(prefix.size()));
}

std::vector<std::string> SubkeyNames(HKEY key) {
    std::vector<std::string> names;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD size = sizeof name;
        if (RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, size);
    }
    return names;
}

// The first of the three that is not empty: a key's default value, a string
// of the shell, a fixed name.
std::string FolderName(HKEY root, const char* key, UINT shellId, const char* fallback) {
    std::string name = ReadString(OpenKey(root, key).get(), nullptr);
    if (name.empty()) name = ShellString(shellId);
    return name.empty() ? fallback : name;
}

// The file-name part, or the folder part when the path ends in a separator.
std::string NameOrFolder(const std::string& path) {
    std::string name = tk::ExtractFileName(path);
    return name.empty() ? tk::ExtractFilePath(path) : name;
}

}  // namespace

std::string ShellString(UINT id) {
    tk::ModuleHandle shell(LoadLibraryW(L"shell32.dll"));
    const wchar_t* text = nullptr;
    // With no buffer the call hands out the resource itself, whatever its length.
    const int n = shell ? LoadStringW(shell.get(), id, reinterpret_cast<LPWSTR>(&text), 0) : 0;
    return n > 0 ? fs::Narrow(std::wstring_view(text, static_cast<size_t>(n))) : std::string();
}

int ApSpecFolderCsidl(TApSpecShellFolder folder) { return kCsidl[folder]; }

TApSpecShellFolder ApSpecFolderOfCsidl(int csidl) {
    for (TApSpecShellFolder f : kApSupportedFolders)
        if (kCsidl[f] == csidl) return f;
    return ftNone;
}

std::string SpecialFolderCaption(TApSpecShellFolder folder) {
    switch (folder) {
    case ftDesktop:
        return FolderName(HKEY_CLASSES_ROOT, "\\CLSID\\{00021400-0000-0000-C000-000000000046}", 4162, "Desktop");
    case ftDrives:
        return FolderName(HKEY_CURRENT_USER, "\\SOFTWARE\\Classes\\CLSID\\{20D04FE0-3AEA-1069-A2D8-08002B30309D}",
                          9216, "My Computer");
    case ftPersonal:
        return FolderName(HKEY_CURRENT_USER, "\\SOFTWARE\\Classes\\CLSID\\{450D8FBA-AD25-11D0-98A8-0800361B1103}",
                          9100, "My Documents");
    case ftFavorites: return "Favorites";
    case ftRecent: return "Recent";
    default: return {};
    }
}

std::vector<std::string> ApSupportedFolderCaptions() {
    std::vector<std::string> captions;
    for (TApSpecShellFolder f : kApSupportedFolders) captions.push_back(SpecialFolderCaption(f));
    return captions;
}

std::string ApRegistryPlacePath(const std::string& regPath) {
    std::string key = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", value = regPath;
    if (!regPath.empty() && regPath.front() == '\\') {
        const size_t cut = regPath.rfind('\\');
        key = regPath.substr(0, cut + 1);
        value = regPath.substr(cut + 1);
    }
    return ReadString(OpenKey(HKEY_CURRENT_USER, key).get(), value.c_str());
}

// ---- TApPlace ----

const tk::ClassInfo& TApPlace::StaticClass() {
    static const tk::ClassInfo info{"TApPlace",
                                    &tk::CollectionItem::StaticClass(),
                                    {tk::TextProp("PlaceName", &TApPlace::PlaceName, &TApPlace::SetPlaceName),
                                     tk::TextProp("PlacePath", &TApPlace::PlacePath, &TApPlace::SetPlacePath),
                                     tk::TextProp("PlaceRegPath", &TApPlace::PlaceRegPath, &TApPlace::SetPlaceRegPath),
                                     tk::TextProp("PlaceDesc", &TApPlace::PlaceDesc, &TApPlace::SetPlaceDesc),
                                     tk::TextProp("PlaceIconDll", &TApPlace::PlaceIconDll, &TApPlace::SetPlaceIconDll)},
                                    {}};
    return info;
}

void TApPlace::Assign(const TApPlace& other) {
    placeName_ = other.placeName_;
    placePath_ = other.placePath_;
    placeRegPath_ = other.placeRegPath_;
    PlaceSpecPath = other.PlaceSpecPath;
    placeDesc_ = other.placeDesc_;
    placeIconDll_ = other.placeIconDll_;
    PlaceIcon = other.PlaceIcon;
    PlaceHotIcon = other.PlaceHotIcon;
    AutoCaption = other.AutoCaption;
}

TApPlaceKind TApPlace::Kind() const {
    if (PlaceSpecPath != ftNone) return pkSpecial;
    return placeRegPath_.empty() ? pkPath : pkRegistry;
}

std::string TApPlace::PlaceName() const {
    if (!AutoCaption) return placeName_;
    switch (Kind()) {
    case pkSpecial: return SpecialFolderCaption(PlaceSpecPath);
    case pkRegistry: return NameOrFolder(placeRegPath_);
    default: return NameOrFolder(placePath_);
    }
}

std::string TApPlace::TargetPath() const {
    return Kind() == pkRegistry ? ApRegistryPlacePath(placeRegPath_) : placePath_;
}

tk::CoTaskMem TApPlace::PlacePidl(IShellFolder* desktop) const {
    LPITEMIDLIST pidl = nullptr;
    if (std::find(std::begin(kApSupportedFolders), std::end(kApSupportedFolders), PlaceSpecPath) !=
        std::end(kApSupportedFolders)) {
        if (FAILED(SHGetSpecialFolderLocation(nullptr, ApSpecFolderCsidl(PlaceSpecPath), &pidl))) pidl = nullptr;
        return tk::CoTaskMem(pidl);
    }
    const std::string path = TargetPath();
    if (!desktop || path.empty()) return {};
    std::wstring wide(path.size() + 1, L'\0');
    wide.resize(static_cast<size_t>(std::max(
        0, MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), static_cast<int>(wide.size())) - 1)));
    if (FAILED(desktop->ParseDisplayName(nullptr, nullptr, wide.data(), nullptr, &pidl, nullptr))) pidl = nullptr;
    return tk::CoTaskMem(pidl);
}

// ---- TApPlaces ----

TApPlaces::TApPlaces() : tk::Collection([] { return std::make_unique<TApPlace>(); }) {}

void TApPlaces::Assign(const TApPlaces& other) {
    if (&other == this) return;
    Clear();
    for (int i = 0; i < other.Count(); ++i) AddPlace()->Assign(*other.Items(i));
}

TApPlace* TApPlaces::FindPlace(const std::string& name, TApSpecShellFolder folder, const std::string& path) const {
    for (int i = 0; i < Count(); ++i) {
        TApPlace* p = Items(i);
        if (folder == ftNone ? p->PlaceSpecPath == ftNone && p->PlaceName() == name && tk::SameText(p->PlacePath(), path)
                             : p->PlaceSpecPath == folder)
            return p;
    }
    return nullptr;
}

void TApPlaces::MovePlace(int a, int b) {
    if (a == b || a < 0 || b < 0 || a >= Count() || b >= Count()) return;
    TApPlace kept;
    kept.Assign(*Items(a));
    if (b >= a)
        for (int i = a; i < b; ++i) Items(i)->Assign(*Items(i + 1));
    else
        for (int i = a; i > b; --i) Items(i)->Assign(*Items(i - 1));
    Items(b)->Assign(kept);
}

// ---- TApPlacesBarOptions ----

const tk::ClassInfo& TApPlacesBarOptions::StaticClass() {
    static const tk::ClassInfo info{
        "TApPlacesBarOptions",
        &tk::Persistent::StaticClass(),
        {tk::TextProp("RegistryKey", &TApPlacesBarOptions::RegistryKey, &TApPlacesBarOptions::SetRegistryKey)},
        {tk::ObjectProp("Places", &TApPlacesBarOptions::Places)}};
    return info;
}

TApPlacesBarOptions::TApPlacesBarOptions(TApPlacesBarHost* dialog)
    : dialog_(dialog), places_(std::make_unique<TApPlaces>()) {}

void TApPlacesBarOptions::Assign(const TApPlacesBarOptions& other) {
    registryKey_ = other.registryKey_;
    places_->Assign(*other.places_);
    Visible = other.Visible;
    AllowEdit = other.AllowEdit;
    AllowDelete = other.AllowDelete;
    AllowDrop = other.AllowDrop;
    AutoScroll = other.AutoScroll;
    BorderStyle = other.BorderStyle;
    Native = other.Native;
}

void TApPlacesBarOptions::LoadPlaces() {
    if (KeyPath(registryKey_).empty()) return;
    tk::RegKey key = OpenKey(HKEY_CURRENT_USER, registryKey_);
    if (!key) {
        tk::ShowMessageBox("Korvane Places Bar: Could not load data from registry", tk::App ? tk::App->Title : "", MB_OK);
        return;
    }
    const std::string base = KeyPath(registryKey_) + "\\";
    // The registry lists Place_10 before Place_2: places come back in the
    // order they were saved, or a bar of more than ten would be reshuffled
    // at every opening. Other subkeys follow in the registry's order.
    std::vector<std::string> names = SubkeyNames(key.get());
    std::stable_sort(names.begin(), names.end(),
                     [](const std::string& a, const std::string& b) { return PlaceIndex(a) < PlaceIndex(b); });
    for (const std::string& name : names) {
        tk::RegKey sub = OpenKey(HKEY_CURRENT_USER, base + name);
        if (!sub) continue;
        const HKEY k = sub.get();
        // Values that are missing or of another type leave a place's defaults.
        const std::string caption = ReadString(k, "Name");
        const TApSpecShellFolder folder = ApSpecFolderOfCsidl(ReadInt(k, "SpecFolder", ApSpecFolderCsidl(ftNone)));
        const std::string path = ReadString(k, "Path");
        TApPlace* place = places_->FindPlace(caption, folder, path);
        if (!place) place = places_->AddPlace();
        place->SetPlaceName(caption);
        place->SetPlacePath(path);
        place->SetPlaceRegPath(ReadString(k, "RegPath"));
        place->SetPlaceIconDll(ReadString(k, "IconDll"));
        place->PlaceIcon = ReadInt(k, "Icon", 0);
        place->PlaceHotIcon = ReadInt(k, "IconHot", 0);
        place->SetPlaceDesc(ReadString(k, "Hint"));
        place->PlaceSpecPath = folder;
        place->AutoCaption = ReadInt(k, "AutoCaption", 0) != 0;
    }
}

void TApPlacesBarOptions::SavePlaces() {
    // A key of backslashes alone would name the whole of HKEY_CURRENT_USER.
    const std::string path = KeyPath(registryKey_);
    if (path.empty()) return;
    tk::RegKey key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr) !=
        ERROR_SUCCESS)
        return;
    // Every place stored goes, so a shorter list leaves nothing behind; other
    // subkeys are not ours.
    for (const std::string& name : SubkeyNames(key.get()))
        if (PlaceIndex(name) != std::numeric_limits<long long>::max()) SHDeleteKeyA(key.get(), name.c_str());
    for (int i = 0; i < places_->Count(); ++i) {
        const TApPlace& p = *places_->Items(i);
        tk::RegKey sub;
        const std::string name = path + "\\Place_" + std::to_string(i);
        if (RegCreateKeyExA(HKEY_CURRENT_USER, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, sub.put(),
                            nullptr) != ERROR_SUCCESS)
            continue;
        const HKEY k = sub.get();
        WriteString(k, "Name", p.PlaceName());
        WriteString(k, "Path", p.PlacePath());
        WriteString(k, "RegPath", p.PlaceRegPath());
        WriteString(k, "IconDll", p.PlaceIconDll());
        WriteInt(k, "Icon", p.PlaceIcon);
        WriteInt(k, "IconHot", p.PlaceHotIcon);
        WriteString(k, "Hint", p.PlaceDesc());
        WriteInt(k, "SpecFolder", ApSpecFolderCsidl(p.PlaceSpecPath));
        WriteInt(k, "AutoCaption", p.AutoCaption ? 1 : 0);
    }
}
