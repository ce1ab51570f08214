// Drop-down list of drive letters, filtered by drive kind and file system.
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

    // Entry count; makes the window, and so the entries, first.
    int Count();
    virtual void BuildList();
    static bool IsNtfsVolume(char letter);

protected:
    void InitWnd() override;
    void Select() override;

private:
    void AddDrive(char display, unsigned char type, const std::string& volume, const std::string& network);
    std::string VolumeCaption(char letter, char display);
    std::string NetworkCaption(char letter, char display);

    char drive_ = 0;
    TDriveOptions options_;
    TTextCase textCase_ = tcLowerCase;
    std::vector<TDriveInfos> infos_;
};
