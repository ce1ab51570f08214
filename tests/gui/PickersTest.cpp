// Start-up's volume check, the main window's volume list and the folder
// selection window.
#include "app/Main.h"
#include "controls/FileCtrl.h"
#include "support/FakeDrives.h"
#include "support/GuiFixture.h"

#include <gtest/gtest.h>

using namespace testsupport;

TEST(StartUp, AMachineWithoutNtfsOrNetworkDrivesIsRefused) {
    for (UINT type : {DRIVE_CDROM, DRIVE_FIXED, DRIVE_REMOTE}) {
        FakeMachine machine({{'c', {type, "vol", "FAT32"}}});
        MessageLog boxes;
        int code = -1;
        bool refused = !CreateWindows(&code);
        DestroyWindows();
        EXPECT_EQ(refused, type != DRIVE_REMOTE) << type;
        EXPECT_EQ(code, refused ? 0 : -1);
        EXPECT_EQ(boxes.Boxes.empty() ? "" : boxes.Last().Text, refused ? "There is no NTFS partitions on this machine" : "");
    }
}

TEST(MainWindowVolumes, PickingAVolumeMovesBothFolderLists) {
    FakeMachine machine({{'c', {DRIVE_FIXED, "", "NTFS"}}, {'z', {DRIVE_FIXED, "", "NTFS"}}});
    MessageLog boxes;
    SetCurrentDirectoryA("C:\\");  // where the window's lists start
    ASSERT_TRUE(CreateWindows());
    MainForm->DriveCombo->SetItemIndex(1);
    Notify(MainForm->DriveCombo, CBN_SELCHANGE);
    EXPECT_EQ(toupper(MainForm->InputDirList->Drive()), 'Z');
    EXPECT_EQ(toupper(MainForm->OutputDirListBox->Drive()), 'Z');
    EXPECT_EQ(MainForm->InputFileList->Directory(), MainForm->InputDirList->Directory());
    DestroyWindows();
    SetCurrentDirectoryA("C:\\");
}

TEST(SelectDir, WalkingTheListChoosesCancelKeepsAndAMissingFolderIsConfirmedThenCreatedWithItsParents) {
    TempDir dir;
    MessageLog boxes;
    std::string sub = dir.MakeDir("Sub"), chosen = dir.Path();
    tk::App->ModalResponder = [&](tk::Form& f) {
        auto& dlg = static_cast<TSelectDirDlg&>(f);
        EXPECT_EQ(dlg.DirList->Directory(), dir.Path());
        EXPECT_FALSE(dlg.DirEdit->Visible());     // a path is typed only where folders may be made
        EXPECT_FALSE(dlg.HelpButton->Visible());  // no help context
        dlg.DirList->SetDirectory(sub);
        return tk::mrOk;
    };
    EXPECT_TRUE(SelectDirectory(chosen, {}, 0));
    EXPECT_EQ(chosen, sub);
    tk::App->ModalResponder = [](tk::Form&) { return tk::mrCancel; };
    EXPECT_FALSE(SelectDirectory(chosen, {}, 0));
    EXPECT_EQ(chosen, sub);

    std::string target = dir / "new\\deeper";
    chosen = dir.Path();
    boxes.Answers = {tk::mrNo, tk::mrYes};
    tk::App->ModalResponder = [&](tk::Form& f) {
        auto& dlg = static_cast<TSelectDirDlg&>(f);
        EXPECT_EQ(dlg.DirEdit->Text(), dir.Path());
        dlg.DirEdit->SetText(target);
        dlg.OKButtonClick();
        EXPECT_EQ(dlg.ModalResult, tk::mrNone);  // No keeps the window open
        dlg.OKButtonClick();
        return dlg.ModalResult;
    };
    EXPECT_TRUE(SelectDirectory(chosen, {sdAllowCreate, sdPrompt, sdPerformCreate}, 0));
    tk::App->ModalResponder = nullptr;
    ASSERT_EQ(boxes.Boxes.size(), 2u);
    EXPECT_EQ(boxes.Last().Text, "The specified directory does not exist. Create it?");
    EXPECT_EQ(chosen, target);
    EXPECT_TRUE(DirExists(target));
}
