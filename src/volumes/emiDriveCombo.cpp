#include "volumes/emiDriveCombo.h"

#include <winnetwk.h>

#include <cctype>

const tk::ClassInfo& TEmiDriveComboBox::StaticClass() {
    static const tk::ClassInfo info{"TEmiDriveComboBox", &tk::ComboBox::StaticClass(), {}, {}};
    return info;
}

TEmiDriveComboBox::TEmiDriveComboBox(tk::Component* owner) : tk::ComboBox(owner) {
    Style = tk::ComboStyle::DropDownList;
    char dir[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof dir, dir);
    drive_ = dir[0] == '\\' ? 0 : dir[0];
}

int TEmiDriveComboBox::Count() {
    HandleNeeded();
    return Items()->Count();
}

void TEmiDriveComboBox::InitWnd() {
    tk::ComboBox::InitWnd();
    BuildList();
    char d = drive_;
    drive_ = 0;  // let SetDrive select and fire after every build
    SetItemIndex(-1);
    SetDrive(d);
}

bool TEmiDriveComboBox::IsNtfsVolume(char letter) {
    char root[] = {letter, ':', '\\', 0};
    char fs[12] = {};
    if (!GetVolumeInformationA(root, nullptr, 0, nullptr, nullptr, nullptr, fs, sizeof fs)) return false;
    return std::string(fs) == "NTFS";
}

std::string TEmiDriveComboBox::VolumeCaption(char letter, char display) {
    char root[] = {letter, ':', '\\', 0};
    char label[261] = {};
    {
        tk::ErrorModeScope quiet(SEM_FAILCRITICALERRORS);
        if (!GetVolumeInformationA(root, label, sizeof label, nullptr, nullptr, nullptr, nullptr, 0)) label[0] = 0;
    }
    std::string s = std::islower(static_cast<unsigned char>(display)) ? tk::LowerCase(label) : tk::UpperCase(label);
    return "[" + s + "]";
}

std::string TEmiDriveComboBox::NetworkCaption(char letter, char display) {
    char local[] = {static_cast<char>(std::toupper(static_cast<unsigned char>(letter))), ':', 0};
    char remote[261] = {};
    DWORD len = sizeof remote;
    if (WNetGetConnectionA(local, remote, &len) != NO_ERROR) return VolumeCaption(letter, display);
    std::string s(remote);
    return std::islower(static_cast<unsigned char>(display)) ? tk::LowerCase(s) : tk::UpperCase(s);
}

void TEmiDriveComboBox::AddDrive(char display, unsigned char type, const std::string& volume, const std::string& network) {
    std::string text = std::string(1, display) + ":";
    if (!volume.empty()) text += " " + volume;
    else if (!network.empty()) text += " " + network;
    Items()->Add(text);
    infos_.push_back({type, volume, network});
}

void TEmiDriveComboBox::BuildList() {
    Items()->Clear();
    infos_.clear();
    for (char letter = options_.Has(doNoABDrives) ? 'c' : 'a'; letter <= 'z'; ++letter) {
        char root[] = {letter, ':', '\\', 0};
        UINT type = GetDriveTypeA(root);
        char display = textCase_ == tcUpperCase ? static_cast<char>(std::toupper(letter)) : letter;
        switch (type) {
        case DRIVE_UNKNOWN:
            if (!options_.Has(doNoTape)) AddDrive(display, 0, "", "");
            break;
        case DRIVE_NO_ROOT_DIR:
            if (!options_.Has(doNoFree)) AddDrive(display, 1, "", "");
            break;
        case DRIVE_REMOVABLE:
            if (!options_.Has(doNoFloppy)) AddDrive(display, 2, "", "");
            break;
        case DRIVE_FIXED:
            if (!options_.Has(doNoFixed) && !(options_.Has(doNoFAT) && !IsNtfsVolume(letter)))
                AddDrive(display, 3, VolumeCaption(letter, display), "");
            break;
        case DRIVE_REMOTE:
            if (!options_.Has(doNoNetwork)) AddDrive(display, 4, "", NetworkCaption(letter, display));
            break;
        case DRIVE_CDROM:
            if (!options_.Has(doNoCDROM)) AddDrive(display, 5, VolumeCaption(letter, display), "");
            break;
        case DRIVE_RAMDISK:
            if (!options_.Has(doNoRAM)) AddDrive(display, 6, VolumeCaption(letter, display), "");
            break;
        default:
            break;
        }
    }
}

void TEmiDriveComboBox::SetDrive(char letter) {
    if (ItemIndex() >= 0 && std::toupper(static_cast<unsigned char>(letter)) == std::toupper(static_cast<unsigned char>(drive_)))
        return;
    if (!letter) {
        drive_ = 0;
        SetItemIndex(-1);
    } else {
        drive_ = static_cast<char>(textCase_ == tcUpperCase ? std::toupper(static_cast<unsigned char>(letter))
                                                            : std::tolower(static_cast<unsigned char>(letter)));
        int found = -1;
        for (int i = 0; i < Items()->Count() && found < 0; ++i) {
            std::string t = Items()->Get(i);
            if (t.size() >= 2 && std::toupper(static_cast<unsigned char>(t[0])) == std::toupper(static_cast<unsigned char>(drive_)) && t[1] == ':')
                found = i;
        }
        if (found < 0 && Items()->Count() > 0) found = 0;
        SetItemIndex(found);
    }
    Change();
}

void TEmiDriveComboBox::SetOptions(TDriveOptions v) {
    char d = drive_;
    options_ = v;
    if (!HandleAllocated()) return;
    BuildList();
    SetItemIndex(-1);
    SetDrive(d);
}

void TEmiDriveComboBox::SetTextCase(TTextCase v) {
    if (v == textCase_) return;
    char d = drive_;
    textCase_ = v;
    if (!HandleAllocated()) return;
    BuildList();
    SetItemIndex(-1);
    SetDrive(d);
}

void TEmiDriveComboBox::Select() {
    DoClick();
    int i = ItemIndex();
    if (i >= 0) SetDrive(Items()->Get(i)[0]);
}
