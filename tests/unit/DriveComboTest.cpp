// The volume list over machines presented through the drive-query seam.
#include "support/FakeDrives.h"
#include "support/GuiFixture.h"

#include <gtest/gtest.h>

using namespace testsupport;
using Entries = std::vector<std::string>;

namespace {

const TDriveOptions kMainWindowOptions{doNoFloppy, doNoCDROM, doNoRAM, doNoFree, doNoTape, doNoABDrives, doNoFAT};

// A machine with every kind of drive the list knows.
std::map<char, FakeDrive> UsualDrives() {
    return {{'a', {DRIVE_REMOVABLE}},
            {'c', {DRIVE_FIXED, "System", "NTFS"}},
            {'d', {DRIVE_FIXED, "Data", "FAT32"}},
            {'e', {DRIVE_FIXED, "", "NTFS"}},
            {'f', {DRIVE_CDROM}},  // no readable disk
            {'g', {DRIVE_RAMDISK, "Ram", "FAT"}},
            {'h', {DRIVE_UNKNOWN}},
            {'i', {DRIVE_FIXED}},  // unreadable: not NTFS
            {'y', {DRIVE_REMOTE, "Home", "NTFS"}},  // no connection name: its label
            {'z', {DRIVE_REMOTE, "", "FAT", "\\\\Server\\Share"}}};
}

class VolumeList : public testing::Test {
protected:
    void SetUp() override { combo->OnChange = [this] { ++changes; }; }
    FakeMachine machine{UsualDrives()};
    tk::Form host{nullptr};
    TEmiDriveComboBox* combo = tk::Make<TEmiDriveComboBox>(&host, &host, "DriveCombo", {8, 8, 200, 22});
    int changes = 0;
};

}  // namespace

TEST_F(VolumeList, OptionsFilterTheMachinesDrives) {
    const struct {
        TDriveOptions options;
        Entries expected;
    } cases[] = {
        {kMainWindowOptions, {"c: [system]", "e: []", "y: [home]", "z: \\\\server\\share"}},
        {{doNoFree}, {"a:", "c: [system]", "d: [data]", "e: []", "f: []", "g: [ram]", "h:", "i: []", "y: [home]",
                      "z: \\\\server\\share"}},
    };
    for (const auto& c : cases) {
        machine.Asked.clear();
        combo->SetOptions(c.options);
        EXPECT_EQ(combo->Count(), static_cast<int>(c.expected.size()));
        EXPECT_EQ(combo->Items()->ToVector(), c.expected);
        EXPECT_EQ(machine.Asked.find_first_of("ab") == std::string::npos, c.options.Has(doNoABDrives)) << machine.Asked;
        for (char letter : machine.Asked) EXPECT_TRUE(machine.Drives.count(letter)) << letter << " is no drive: not to be asked";
    }
    combo->SetOptions({});
    EXPECT_EQ(combo->Count(), 26);
}

TEST_F(VolumeList, LabelsAreReadWithCriticalErrorBoxesOffAndTheModeRestored) {
    UINT before = SetErrorMode(0);
    combo->SetOptions({doNoFree});
    combo->Count();
    UINT after = SetErrorMode(before);
    ASSERT_FALSE(machine.ErrorModesSeen.empty());
    for (UINT mode : machine.ErrorModesSeen) EXPECT_TRUE(mode & SEM_FAILCRITICALERRORS);
    EXPECT_EQ(after, 0u);
}

TEST_F(VolumeList, SetDriveSelectsAndFiresOnlyForANewLetter) {
    combo->SetOptions(kMainWindowOptions);
    combo->Count();
    const struct {
        char letter;
        int index;
        char drive;
        int fired;
    } steps[] = {{'E', 1, 'e', 1}, {'e', 1, 'e', 0},  // the selected letter: nothing happens
                 {'d', 0, 'd', 1},                    // not listed: first entry, letter kept
                 {0, -1, 0, 1}};
    for (const auto& s : steps) {
        int before = changes;
        combo->SetDrive(s.letter);
        EXPECT_EQ(combo->ItemIndex(), s.index) << s.letter;
        EXPECT_EQ(combo->Drive(), s.drive) << s.letter;
        EXPECT_EQ(changes - before, s.fired) << s.letter;
    }
    // The user's pick goes through SetDrive; the same pick again fires nothing.
    int before = changes;
    combo->SetItemIndex(3);
    Notify(combo, CBN_SELCHANGE);
    Notify(combo, CBN_SELCHANGE);
    EXPECT_EQ(combo->Drive(), 'z');
    // Every build fires, an empty one too; so does a letter for an empty list.
    combo->SetOptions({doNoFixed, doNoNetwork, doNoFree, doNoFloppy, doNoCDROM, doNoRAM, doNoTape});
    EXPECT_EQ(combo->Count(), 0);
    combo->SetDrive('q');
    EXPECT_EQ(combo->Drive(), 'q');
    EXPECT_EQ(changes, before + 3);
}
