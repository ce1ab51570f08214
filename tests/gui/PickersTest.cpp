#include "app/Main.h"
#include "controls/FileCtrl.h"
#include "support/GuiFixture.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

// A machine whose drives are all listed as one kind.
class OneKindMachine : public TDriveQueries {
public:
    explicit OneKindMachine(UINT type) : type_(type) {}
    UINT DriveType(const std::string& root) override { return root[0] == 'c' || root[0] == 'z' ? type_ : DRIVE_NO_ROOT_DIR; }
    bool VolumeLabel(const std::string&, std::string& label) override { label = "vol"; return true; }
    bool FileSystemName(const std::string&, std::string& name) override { name = "FAT32"; return true; }
    bool ConnectionName(const std::string&, std::string&) override { return false; }

private:
    UINT type_;
};

struct SeamScope {
    explicit SeamScope(TDriveQueries* q) { SetDriveQueries(q); }
    ~SeamScope() { SetDriveQueries(nullptr); }
};

}  // namespace

TEST(StartUp, AMachineWithoutNtfsOrNetworkDrivesIsRefused) {
    OneKindMachine cdroms(DRIVE_CDROM);
    SeamScope seam(&cdroms);
    MessageLog boxes;
    EXPECT_THROW(tk::App->CreateForm(MainForm), tk::EHalt);
    delete MainForm;
    MainForm = nullptr;
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Last().Text, "There is no NTFS partitions on this machine");
    EXPECT_EQ(boxes.Last().Type, tk::MsgDlgType::Error);
}

TEST(StartUp, ANetworkDriveAloneIsEnough) {
    OneKindMachine network(DRIVE_REMOTE);
    SeamScope seam(&network);
    MessageLog boxes;
    tk::App->CreateForm(MainForm);
    EXPECT_EQ(MainForm->DriveCombo->Count(), 2);
    EXPECT_EQ(MainForm->DriveCombo->Items()->Get(0), "c: [vol]");
    EXPECT_TRUE(boxes.Boxes.empty());
    delete MainForm;
    MainForm = nullptr;
}

TEST(StartUp, PickingAVolumeMovesBothFolderLists) {
    TempDir dir;
    MessageLog boxes;
    tk::App->CreateForm(MainForm);
    MainForm->InputDirList->SetDirectory(dir.Path());
    MainForm->OutputDirListBox->SetDirectory(dir.Path());
    auto* combo = MainForm->DriveCombo;
    int z = -1;
    for (int i = 0; i < combo->Count(); ++i)
        if (combo->Items()->Get(i)[0] == 'z') z = i;
    ASSERT_GE(z, 0);
    if (combo->ItemIndex() == z) combo->SetDrive('c');
    combo->SetItemIndex(z);
    SendMessageA(MainForm->Handle(), WM_COMMAND, MAKEWPARAM(combo->Id(), CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo->Handle()));
    EXPECT_EQ(toupper(MainForm->InputDirList->Drive()), 'Z');
    EXPECT_EQ(toupper(MainForm->OutputDirListBox->Drive()), 'Z');
    EXPECT_EQ(MainForm->InputFileList->Directory(), MainForm->InputDirList->Directory());
    delete MainForm;
    MainForm = nullptr;
    SetCurrentDirectoryA("C:\\");
}

namespace {

class SelectDir : public testing::Test {
protected:
    void TearDown() override { tk::App->ModalResponder = nullptr; }
    TempDir dir;
    MessageLog boxes;
};

RECT InForm(tk::Control* c) {
    RECT r;
    GetWindowRect(c->Handle(), &r);
    MapWindowPoints(nullptr, c->Parent()->Handle(), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

}  // namespace

TEST_F(SelectDir, SizeTextsAndTheHelpButtonRule) {
    TSelectDirDlg noHelp(nullptr, {}, 0);
    noHelp.AfterConstruction();
    EXPECT_EQ(noHelp.Caption(), "Select Directory");
    EXPECT_EQ(noHelp.ClientWidth(), 424);
    EXPECT_EQ(noHelp.ClientHeight(), 255);
    RECT rc;
    GetClientRect(noHelp.Handle(), &rc);
    EXPECT_EQ(rc.right, 424);
    EXPECT_EQ(rc.bottom, 255);
    EXPECT_EQ(noHelp.DirNameLabel->Caption(), "Directory &Name:");
    EXPECT_EQ(noHelp.DriveLabel->Caption(), "D&rives:");
    EXPECT_EQ(noHelp.DirListLabel->Caption(), "&Directories:");
    EXPECT_EQ(noHelp.FileListLabel->Caption(), "&Files: (*.*)");
    EXPECT_EQ(noHelp.NetButton->Caption(), "Ne&twork...");
    EXPECT_FALSE(noHelp.HelpButton->Visible());
    EXPECT_FALSE(noHelp.DirEdit->Visible());

    TSelectDirDlg withHelp(nullptr, {sdAllowCreate}, 7);
    withHelp.AfterConstruction();
    EXPECT_TRUE(withHelp.HelpButton->Visible());
    EXPECT_TRUE(withHelp.DirEdit->Visible());
    // Without Help, OK and Cancel take the places of Cancel and Help.
    EXPECT_EQ(InForm(noHelp.OKButton).left, InForm(withHelp.CancelButton).left);
    EXPECT_EQ(InForm(noHelp.CancelButton).left, InForm(withHelp.HelpButton).left);
}

TEST_F(SelectDir, WalkingTheListChoosesAnExistingFolder) {
    std::string sub = dir.MakeDir("Sub");
    std::string chosen = dir.Path();
    tk::App->ModalResponder = [&](tk::Form& f) {
        auto& dlg = static_cast<TSelectDirDlg&>(f);
        EXPECT_EQ(dlg.DirList->Directory(), dir.Path());
        dlg.DirList->SetDirectory(sub);
        EXPECT_EQ(dlg.FileList->Directory(), sub);
        return tk::mrOk;
    };
    ASSERT_TRUE(SelectDirectory(chosen, {}, 0));
    EXPECT_EQ(chosen, sub);

    tk::App->ModalResponder = [](tk::Form&) { return tk::mrCancel; };
    std::string kept = dir.Path();
    EXPECT_FALSE(SelectDirectory(kept, {}, 0));
    EXPECT_EQ(kept, dir.Path());
}

TEST_F(SelectDir, AMissingFolderIsConfirmedThenCreatedWithItsParents) {
    std::string target = dir / "new\\deeper";
    std::string chosen = dir.Path();
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
    ASSERT_TRUE(SelectDirectory(chosen, {sdAllowCreate, sdPrompt, sdPerformCreate}, 0));
    ASSERT_EQ(boxes.Boxes.size(), 2u);
    EXPECT_EQ(boxes.Last().Text, "The specified directory does not exist. Create it?");
    EXPECT_EQ(boxes.Last().Type, tk::MsgDlgType::Confirmation);
    EXPECT_EQ(chosen, target);
    EXPECT_TRUE(DirExists(target));
}
