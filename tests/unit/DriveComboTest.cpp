// The volume list over machines presented through the drive-query seam.
#include "volumes/emiDriveCombo.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

struct FakeDrive {
    UINT Type = DRIVE_NO_ROOT_DIR;
    bool Readable = true;
    std::string Label, FileSystem;
    bool Connected = false;
    std::string Remote;
};

class FakeMachine : public TDriveQueries {
public:
    std::map<char, FakeDrive> Drives;  // by lower-case letter
    std::vector<std::string> Asked;
    std::vector<UINT> ErrorModesSeen;

    UINT DriveType(const std::string& root) override {
        Asked.push_back(root);
        auto it = Drives.find(root[0]);
        return it == Drives.end() ? DRIVE_NO_ROOT_DIR : it->second.Type;
    }
    bool VolumeLabel(const std::string& root, std::string& label) override {
        Asked.push_back(root);
        ErrorModesSeen.push_back(GetErrorMode());
        const FakeDrive& d = Drives.at(root[0]);
        if (!d.Readable) return false;
        label = d.Label;
        return true;
    }
    bool FileSystemName(const std::string& root, std::string& name) override {
        Asked.push_back(root);
        const FakeDrive& d = Drives.at(root[0]);
        if (!d.Readable) return false;
        name = d.FileSystem;
        return true;
    }
    bool ConnectionName(const std::string& local, std::string& remote) override {
        const FakeDrive& d = Drives.at(static_cast<char>(tolower(local[0])));
        if (!d.Connected) return false;
        remote = d.Remote;
        return true;
    }
};

const TDriveOptions kMainWindowOptions{doNoFloppy, doNoCDROM, doNoRAM, doNoFree, doNoTape, doNoABDrives, doNoFAT};

class VolumeList : public testing::Test {
protected:
    void SetUp() override {
        SetDriveQueries(&machine);
        host = new tk::Form(nullptr);
        host->SetClientSize(300, 200);
        combo = tk::Make<TEmiDriveComboBox>(host, host, "DriveCombo", {8, 8, 200, 22});
        combo->OnChange = [this] { ++changes; };
    }
    void TearDown() override {
        delete host;
        SetDriveQueries(nullptr);
    }
    // A machine with every kind of drive the list knows.
    void UsualMachine() {
        machine.Drives['a'] = {DRIVE_REMOVABLE};
        machine.Drives['c'] = {DRIVE_FIXED, true, "System", "NTFS"};
        machine.Drives['d'] = {DRIVE_FIXED, true, "Data", "FAT32"};
        machine.Drives['e'] = {DRIVE_FIXED, true, "", "NTFS"};
        machine.Drives['f'] = {DRIVE_CDROM, false};
        machine.Drives['g'] = {DRIVE_RAMDISK, true, "Ram", "FAT"};
        machine.Drives['h'] = {DRIVE_UNKNOWN};
        machine.Drives['y'] = {DRIVE_REMOTE, true, "Home", "NTFS", false, ""};
        machine.Drives['z'] = {DRIVE_REMOTE, true, "", "FAT", true, "\\\\Server\\Share"};
    }
    std::vector<std::string> Entries() { return combo->Items()->ToVector(); }

    FakeMachine machine;
    tk::Form* host = nullptr;
    TEmiDriveComboBox* combo = nullptr;
    int changes = 0;
};

}  // namespace

TEST_F(VolumeList, MainWindowOptionsOfferFixedNtfsAndNetworkDrivesOnly) {
    UsualMachine();
    combo->SetOptions(kMainWindowOptions);
    ASSERT_EQ(combo->Count(), 4);
    // A network drive is listed whatever its file system; one without a
    // connection name shows its volume label instead.
    EXPECT_EQ(Entries(), (std::vector<std::string>{"c: [system]", "e: []", "y: [home]", "z: \\\\server\\share"}));
    for (const std::string& root : machine.Asked) EXPECT_TRUE(root[0] != 'a' && root[0] != 'b') << root;
    EXPECT_EQ(machine.Asked.front(), "c:\\");
    EXPECT_EQ(combo->DriveInfo(0).DriveType, DRIVE_FIXED);
    EXPECT_EQ(combo->DriveInfo(3).DriveType, DRIVE_REMOTE);
    EXPECT_EQ(combo->DriveInfo(3).NetworkCaption, "\\\\server\\share");
}

TEST_F(VolumeList, WithoutOptionsEveryLetterIsListedWithItsKind) {
    UsualMachine();
    ASSERT_EQ(combo->Count(), 26);
    auto e = Entries();
    EXPECT_EQ(e[0], "a:");
    EXPECT_EQ(e[1], "b:");  // no root folder
    EXPECT_EQ(e[3], "d: [data]");
    EXPECT_EQ(e[5], "f: []");  // CD-ROM without a readable disk
    EXPECT_EQ(e[6], "g: [ram]");
    EXPECT_EQ(e[7], "h:");
    // Each kind gets its own picture; letters of one kind share one.
    std::set<void*> pictures;
    for (int i : {0, 1, 2, 5, 6, 7, 25}) pictures.insert(combo->Items()->ObjectAt(i));
    EXPECT_EQ(pictures.size(), 7u);
    EXPECT_NE(pictures.count(nullptr), 1u);
    EXPECT_EQ(combo->Items()->ObjectAt(2), combo->Items()->ObjectAt(3));
}

TEST_F(VolumeList, UnreadableFixedDrivesAreNotNtfs) {
    machine.Drives['c'] = {DRIVE_FIXED, false};
    machine.Drives['d'] = {DRIVE_FIXED, true, "x", "ntfs"};  // the name must match exactly
    combo->SetOptions({doNoFree, doNoFAT});
    EXPECT_EQ(combo->Count(), 0);
    combo->SetOptions({doNoFree});
    EXPECT_EQ(Entries(), (std::vector<std::string>{"c: []", "d: [x]"}));
}

TEST_F(VolumeList, LabelsAreReadWithCriticalErrorBoxesOffAndTheModeRestored) {
    UsualMachine();
    machine.Drives['f'].Readable = false;
    UINT before = SetErrorMode(0);
    combo->SetOptions({doNoFree});
    combo->Count();
    UINT after = GetErrorMode();
    SetErrorMode(before);
    ASSERT_FALSE(machine.ErrorModesSeen.empty());
    for (UINT mode : machine.ErrorModesSeen) EXPECT_TRUE(mode & SEM_FAILCRITICALERRORS);
    EXPECT_EQ(after, 0u);
}

TEST_F(VolumeList, TextCaseRebuildsInUpperCase) {
    UsualMachine();
    combo->SetOptions(kMainWindowOptions);
    combo->Count();
    combo->SetDrive('e');
    int before = changes;
    combo->SetTextCase(tcUpperCase);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"C: [SYSTEM]", "E: []", "Y: [HOME]", "Z: \\\\SERVER\\SHARE"}));
    EXPECT_EQ(combo->Drive(), 'E');
    EXPECT_EQ(combo->ItemIndex(), 1);
    EXPECT_EQ(changes, before + 1);
    combo->SetTextCase(tcUpperCase);
    EXPECT_EQ(changes, before + 1);
}

TEST_F(VolumeList, SetDriveSelectsFiresAndKeepsUnlistedLetters) {
    UsualMachine();
    combo->SetOptions(kMainWindowOptions);
    combo->Count();
    combo->SetDrive('E');
    EXPECT_EQ(combo->ItemIndex(), 1);
    EXPECT_EQ(combo->Drive(), 'e');
    int before = changes;
    combo->SetDrive('e');  // the selected letter: nothing happens
    EXPECT_EQ(changes, before);

    combo->SetDrive('d');  // not listed: first entry, letter kept
    EXPECT_EQ(combo->ItemIndex(), 0);
    EXPECT_EQ(combo->Drive(), 'd');
    EXPECT_EQ(changes, before + 1);

    combo->SetDrive(0);
    EXPECT_EQ(combo->ItemIndex(), -1);
    EXPECT_EQ(combo->Drive(), 0);
    EXPECT_EQ(changes, before + 2);

    // The user's pick goes through SetDrive; picking the same entry again fires nothing.
    combo->SetItemIndex(3);
    SendMessageA(host->Handle(), WM_COMMAND, MAKEWPARAM(combo->Id(), CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo->Handle()));
    EXPECT_EQ(combo->Drive(), 'z');
    EXPECT_EQ(changes, before + 3);
    SendMessageA(host->Handle(), WM_COMMAND, MAKEWPARAM(combo->Id(), CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo->Handle()));
    EXPECT_EQ(changes, before + 3);
}

TEST_F(VolumeList, AnEmptyListKeepsTheLetterAndStillFires) {
    machine.Drives['c'] = {DRIVE_CDROM};
    combo->SetOptions(kMainWindowOptions);
    EXPECT_EQ(combo->Count(), 0);
    int before = changes;
    combo->SetDrive('q');
    EXPECT_EQ(combo->ItemIndex(), -1);
    EXPECT_EQ(combo->Drive(), 'q');
    EXPECT_EQ(changes, before + 1);
}

TEST_F(VolumeList, EveryBuildFiresTheChangeEvent) {
    UsualMachine();
    combo->Count();
    int before = changes;
    combo->SetOptions(kMainWindowOptions);
    EXPECT_EQ(changes, before + 1);
    combo->SetOptions(kMainWindowOptions);
    EXPECT_EQ(changes, before + 2);
}

TEST_F(VolumeList, IconSizeSwapsThePicturesAndTheEntryHeight) {
    UsualMachine();
    combo->SetOptions(kMainWindowOptions);
    combo->SetDrive('z');
    ASSERT_EQ(combo->Count(), 4);
    EXPECT_EQ(combo->ItemHeight(), 16);
    EXPECT_EQ(tk::BitmapSize(static_cast<HBITMAP>(combo->Items()->ObjectAt(0))).cx, 16);

    combo->SetIconSize(tiLargeIcon);
    EXPECT_EQ(combo->ItemHeight(), 32);
    ASSERT_EQ(combo->Count(), 4);
    SIZE big = tk::BitmapSize(static_cast<HBITMAP>(combo->Items()->ObjectAt(0)));
    EXPECT_EQ(big.cx, 32);
    EXPECT_EQ(big.cy, 32);
    EXPECT_EQ(SendMessageA(combo->Handle(), CB_GETITEMHEIGHT, 0, 0), 32);
    EXPECT_EQ(combo->ItemIndex(), 3);
    EXPECT_EQ(combo->Drive(), 'z');

    combo->SetIconSize(tiSmallIcon);
    EXPECT_EQ(combo->ItemHeight(), 16);
    EXPECT_EQ(tk::BitmapSize(static_cast<HBITMAP>(combo->Items()->ObjectAt(0))).cx, 16);
}

TEST_F(VolumeList, ABiggerFontRaisesTheEntryHeight) {
    UsualMachine();
    combo->Count();
    combo->GetFont()->SetHeight(-24);
    EXPECT_GT(combo->ItemHeight(), 16);
    EXPECT_EQ(combo->Count(), 26);  // rebuilt with the window
}
