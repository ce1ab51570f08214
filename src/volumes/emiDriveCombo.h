// Drop-down list of drive letters, filtered by drive kind and file system,
// each entry with the drive's picture and caption.
#pragma once

#include "toolkit/StdCtrls.h"

enum TDriveOption { doNoFloppy, doNoFixed, doNoCDROM, doNoNetwork, doNoRAM, doNoFree, doNoTape, doNoABDrives, doNoFAT };

// A set of TDriveOption, one bit each from bit 0.
class TDriveOptions {
public:
    TDriveOptions() = default;
    TDriveOptions(std::initializer_list<TDriveOption> list) {
        for (TDriveOption o : list) bits_ = static_cast<unsigned short>(bits_ | (1u << o));
    }
    bool Has(TDriveOption o) const { return bits_ & (1u << o); }
    unsigned short Bits() const { return bits_; }
    bool operator==(const TDriveOptions&) const = default;

private:
    unsigned short bits_ = 0;
};

enum TTextCase { tcLowerCase, tcUpperCase };
enum TIconSize { tiSmallIcon, tiLargeIcon };

struct TDriveInfos {
    unsigned char DriveType = 0;
    std::string VolumeCaption;
    std::string NetworkCaption;
};

// What the volume list asks the machine about its drives. The default asks
// the system; tests install another to present any machine.
class TDriveQueries {
public:
    virtual ~TDriveQueries() = default;
    // GetDriveTypeA of a root such as "c:\".
    virtual UINT DriveType(const std::string& root) = 0;
    // Volume label of a root; false when unreadable.
    virtual bool VolumeLabel(const std::string& root, std::string& label) = 0;
    // File-system name of a root (at most 11 characters); false when unreadable.
    virtual bool FileSystemName(const std::string& root, std::string& name) = 0;
    // Remote name of a connection such as "Z:".
    virtual bool ConnectionName(const std::string& local, std::string& remote) = 0;
    // The letters that name a drive, one bit each from A (GetLogicalDrives).
    // Any other letter is no drive (DRIVE_NO_ROOT_DIR) without being asked.
    virtual DWORD LogicalDrives() { return (1u << 26) - 1; }
};

// The queries every volume list uses; nullptr restores the system's.
void SetDriveQueries(TDriveQueries* queries);
TDriveQueries& DriveQueries();

class TEmiDriveComboBox : public tk::ComboBox {
public:
    explicit TEmiDriveComboBox(tk::Component* owner);
    static const tk::ClassInfo& StaticClass();
    const tk::ClassInfo& Class() const override { return StaticClass(); }

    char Drive() const { return drive_; }
    void SetDrive(char letter);
    TDriveOptions Options() const { return options_; }
    void SetOptions(TDriveOptions v);
    TTextCase TextCase() const { return textCase_; }
    void SetTextCase(TTextCase v);
    TIconSize IconSize() const { return iconSize_; }
    void SetIconSize(TIconSize v);

    // Entry count; makes the window, and so the entries, first.
    int Count();
    const TDriveInfos& DriveInfo(int i) const { return infos_.at(static_cast<size_t>(i)); }
    virtual void BuildList();
    static bool IsNtfsVolume(char letter);
    // Label in brackets, in the display letter's case; "[]" when unreadable.
    static std::string VolumeCaption(char letter, char display);
    // Remote name in the display letter's case, else the volume caption.
    static std::string NetworkCaption(char letter, char display);

    void Loaded() override;

protected:
    void InitWnd() override;
    void Select() override;
    void FontChanged() override;
    void DrawItem(int index, RECT rect, UINT state, HDC dc) override;

private:
    enum Picture { LargeFloppy, SmallFloppy, HardDrive, NetConnect, CDROM, RAMDrive, TapeDrive, NoDrive, PictureCount };
    void LoadPictures();
    void ResetItemHeight();
    void Rebuild(char remembered);
    void AddDrive(char display, unsigned char type, const std::string& volume, const std::string& network, Picture pic);

    char drive_ = 0;
    TDriveOptions options_;
    TTextCase textCase_ = tcLowerCase;
    TIconSize iconSize_ = tiSmallIcon;
    std::vector<TDriveInfos> infos_;
    tk::BitmapHandle pictures_[PictureCount];
};
