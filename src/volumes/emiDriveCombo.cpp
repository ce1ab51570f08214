#include "volumes/emiDriveCombo.h"

#include "fs/FileSystem.h"

#include <winnetwk.h>

#include <algorithm>
#include <cctype>

namespace {

class SystemQueries : public TDriveQueries {
public:
    UINT DriveType(const std::string& root) override { return GetDriveTypeA(root.c_str()); }
    bool VolumeLabel(const std::string& root, std::string& label) override {
        return fs::VolumeInformation(root, &label, nullptr, nullptr, nullptr);
    }
    bool FileSystemName(const std::string& root, std::string& name) override {
        return fs::VolumeInformation(root, nullptr, nullptr, nullptr, &name);
    }
    // One call, where asking each letter's type of the system costs a
    // millisecond or more per letter under Wine.
    DWORD LogicalDrives() override { return GetLogicalDrives(); }
    bool ConnectionName(const std::string& local, std::string& remote) override {
        const std::wstring name = fs::Widen(local);
        std::wstring buf(MAX_PATH, L'\0');
        DWORD len = static_cast<DWORD>(buf.size());
        DWORD result = WNetGetConnectionW(name.c_str(), buf.data(), &len);
        if (result == ERROR_MORE_DATA) {
            buf.assign(len, L'\0');
            result = WNetGetConnectionW(name.c_str(), buf.data(), &len);
        }
        if (result != NO_ERROR) return false;
        remote = fs::Narrow(buf.c_str());
        return true;
    }
};

TDriveQueries* installed = nullptr;

std::string RootOf(char letter) {
    return {static_cast<char>(std::tolower(static_cast<unsigned char>(letter))), ':', '\\'};
}

char Upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }
char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

std::string InCaseOf(char display, const std::string& s) {
    return std::islower(static_cast<unsigned char>(display)) ? tk::LowerCase(s) : tk::UpperCase(s);
}

const char* const kPictureNames[] = {"LARGEFLOPPY", "SMALLFLOPPY", "HARDDRIVE", "NETCONNECT",
                                     "CDROM",       "RAMDRIVE",    "TAPEDRIVE", "NODRIVE"};

}  // namespace

void SetDriveQueries(TDriveQueries* queries) { installed = queries; }

TDriveQueries& DriveQueries() {
    static SystemQueries system;
    return installed ? *installed : system;
}

const tk::ClassInfo& TEmiDriveComboBox::StaticClass() {
    static const tk::ClassInfo info{"TEmiDriveComboBox", &tk::ComboBox::StaticClass(), {}, {}};
    return info;
}

TEmiDriveComboBox::TEmiDriveComboBox(tk::Component* owner) : tk::ComboBox(owner) {
    Style = tk::ComboStyle::OwnerDrawFixed;
    LoadPictures();
    const std::string dir = fs::CurrentFolder();
    drive_ = dir.empty() || dir[0] == '\\' ? 0 : dir[0];
    ResetItemHeight();
}

void TEmiDriveComboBox::LoadPictures() {
    const char* suffix = iconSize_ == tiLargeIcon ? "32" : "16";
    for (int i = 0; i < PictureCount; ++i)
        pictures_[i] = tk::LoadResBitmap((std::string(kPictureNames[i]) + suffix).c_str());
}

void TEmiDriveComboBox::ResetItemHeight() {
    int fontHeight = 0;
    {
        tk::WindowDc dc(nullptr);
        tk::SelectObj sel(dc.get(), EffectiveFont());
        TEXTMETRICA tm{};
        GetTextMetricsA(dc.get(), &tm);
        fontHeight = tm.tmHeight;
    }
    int h = std::max(fontHeight, static_cast<int>(tk::BitmapSize(pictures_[LargeFloppy].get()).cy));
    if (h != itemHeight_) SetItemHeight(h);  // re-creates the window, and so the entries
}

void TEmiDriveComboBox::Loaded() {
    tk::ComboBox::Loaded();
    ResetItemHeight();
}

void TEmiDriveComboBox::FontChanged() {
    tk::ComboBox::FontChanged();
    ResetItemHeight();
}

int TEmiDriveComboBox::Count() {
    HandleNeeded();
    return Items()->Count();
}

void TEmiDriveComboBox::InitWnd() {
    tk::ComboBox::InitWnd();
    BuildList();
    SetDrive(drive_);
}

bool TEmiDriveComboBox::IsNtfsVolume(char letter) {
    std::string fs;
    return DriveQueries().FileSystemName(RootOf(letter), fs) && fs == "NTFS";
}

std::string TEmiDriveComboBox::VolumeCaption(char letter, char display) {
    std::string label;
    {
        // An empty removable drive would otherwise ask the user to insert a disk.
        tk::ErrorModeScope quiet(SEM_FAILCRITICALERRORS);
        if (!DriveQueries().VolumeLabel(RootOf(letter), label)) label.clear();
    }
    std::string caption = "[";
    caption += InCaseOf(display, label);
    caption += ']';
    return caption;
}

std::string TEmiDriveComboBox::NetworkCaption(char letter, char display) {
    std::string remote;
    if (!DriveQueries().ConnectionName(std::string{Upper(letter), ':'}, remote)) return VolumeCaption(letter, display);
    return InCaseOf(display, remote);
}

void TEmiDriveComboBox::AddDrive(char display, unsigned char type, const std::string& volume,
                                 const std::string& network, Picture pic) {
    std::string text = std::string(1, display) + ":";
    if (!volume.empty()) text += " " + volume;
    else if (!network.empty()) text += " " + network;
    Items()->Add(text, pictures_[pic].get());
    infos_.push_back({type, volume, network});
}

void TEmiDriveComboBox::BuildList() {
    Items()->BeginUpdate();
    Items()->Clear();
    infos_.clear();
    TDriveQueries& q = DriveQueries();
    const DWORD present = q.LogicalDrives();
    for (char letter = options_.Has(doNoABDrives) ? 'c' : 'a'; letter <= 'z'; ++letter) {
        UINT type = present & (1u << (letter - 'a')) ? q.DriveType(RootOf(letter)) : DRIVE_NO_ROOT_DIR;
        char display = textCase_ == tcUpperCase ? Upper(letter) : letter;
        auto type8 = static_cast<unsigned char>(type);
        switch (type) {
        case DRIVE_UNKNOWN:
            if (!options_.Has(doNoTape)) AddDrive(display, type8, "", "", TapeDrive);
            break;
        case DRIVE_NO_ROOT_DIR:
            if (!options_.Has(doNoFree)) AddDrive(display, type8, "", "", NoDrive);
            break;
        case DRIVE_REMOVABLE:
            if (!options_.Has(doNoFloppy)) AddDrive(display, type8, "", "", SmallFloppy);
            break;
        case DRIVE_FIXED:
            if (!options_.Has(doNoFixed) && !(options_.Has(doNoFAT) && !IsNtfsVolume(letter)))
                AddDrive(display, type8, VolumeCaption(letter, display), "", HardDrive);
            break;
        case DRIVE_REMOTE:
            if (!options_.Has(doNoNetwork)) AddDrive(display, type8, "", NetworkCaption(letter, display), NetConnect);
            break;
        case DRIVE_CDROM:
            if (!options_.Has(doNoCDROM)) AddDrive(display, type8, VolumeCaption(letter, display), "", CDROM);
            break;
        case DRIVE_RAMDISK:
            if (!options_.Has(doNoRAM)) AddDrive(display, type8, VolumeCaption(letter, display), "", RAMDrive);
            break;
        default:
            break;
        }
    }
    Items()->EndUpdate();
}

void TEmiDriveComboBox::SetDrive(char letter) {
    if (ItemIndex() >= 0 && Upper(letter) == Upper(drive_)) return;
    if (!letter) {
        drive_ = 0;
        SetItemIndex(-1);
    } else {
        drive_ = textCase_ == tcUpperCase ? Upper(letter) : Lower(letter);
        int found = -1;
        for (int i = 0; i < Items()->Count() && found < 0; ++i) {
            std::string t = Items()->Get(i);
            if (t.size() >= 2 && Upper(t[0]) == Upper(drive_) && t[1] == ':') found = i;
        }
        // An unlisted letter shows the first entry but stays the Drive.
        if (found < 0 && Items()->Count() > 0) found = 0;
        SetItemIndex(found);
    }
    Change();
}

void TEmiDriveComboBox::Rebuild(char remembered) {
    // The entries are made with the window; until then a setter only stores.
    if (!HandleAllocated()) return;
    BuildList();
    SetDrive(remembered);
}

void TEmiDriveComboBox::SetOptions(TDriveOptions v) {
    char d = drive_;
    options_ = v;
    Rebuild(d);
}

void TEmiDriveComboBox::SetTextCase(TTextCase v) {
    if (v == textCase_) return;
    char d = drive_;
    textCase_ = v;
    Rebuild(d);
}

void TEmiDriveComboBox::SetIconSize(TIconSize v) {
    if (v == iconSize_) return;
    char d = drive_;
    iconSize_ = v;
    LoadPictures();
    int before = itemHeight_;
    ResetItemHeight();
    // A new height has re-created the window already; re-creation builds the
    // entries and selects the remembered drive again.
    drive_ = d;
    if (itemHeight_ == before) RecreateWnd();
}

void TEmiDriveComboBox::Select() {
    DoClick();
    int i = ItemIndex();
    if (i >= 0) SetDrive(Items()->Get(i)[0]);
}

void TEmiDriveComboBox::DrawItem(int index, RECT rect, UINT state, HDC dc) {
    FillRect(dc, &rect, static_cast<HBRUSH>(GetCurrentObject(dc, OBJ_BRUSH)));
    if (index < 0 || index >= Items()->Count()) return;
    auto pic = static_cast<HBITMAP>(Items()->ObjectAt(index));
    int picWidth = 16;
    if (pic) {
        SIZE sz = tk::BitmapSize(pic);
        tk::DrawTransparent(dc, rect.left + 2, (rect.top + rect.bottom - sz.cy) / 2, pic);
        picWidth = sz.cx;
    }
    rect.left += picWidth + 6;
    std::string text = Items()->Get(index);
    SetBkMode(dc, TRANSPARENT);
    tk::PaintText(dc, text, &rect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}
