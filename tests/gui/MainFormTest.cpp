#include "app/Errors.h"
#include "app/Main.h"
#include "app/MultiHardLink.h"
#include "support/GuiFixture.h"
#include "support/RawRegistry.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

// The six windows as start-up makes them, destroyed after each test.
class MainWindow : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(CreateWindows()); }
    void TearDown() override { DestroyWindows(); }

    TempDir dir;
    MessageLog boxes;
};

}  // namespace

TEST_F(MainWindow, TheControlsLaidOverTheGroupsShowAbove) {
    for (tk::Control* c : std::initializer_list<tk::Control*>{MainForm->InputDirList, MainForm->InputFileList,
                                                              MainForm->FilterBox, MainForm->OutputFileEditBox}) {
        RECT r;
        GetWindowRect(c->Handle(), &r);
        MapWindowPoints(nullptr, MainForm->Handle(), reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(ChildWindowFromPoint(MainForm->Handle(), POINT{r.left + 5, r.top + 5}), c->Handle()) << c->Name();
    }
    // A group's own controls are placed within the group.
    POINT at{0, 0};
    MapWindowPoints(MainForm->CreateButton->Handle(), MainForm->OutputGroupBox->Handle(), &at, 1);
    EXPECT_EQ(GetParent(MainForm->CreateButton->Handle()), MainForm->OutputGroupBox->Handle());
    EXPECT_TRUE(at.x == 64 && at.y == 280) << at.x << "," << at.y;
}

TEST_F(MainWindow, CreateWithoutASelectedFileReportsTheCallsFailure) {
    MainForm->InputDirList->SetDirectory(dir.Path());
    MainForm->OutputDirListBox->SetDirectory(dir.Path());
    MainForm->OutputFileEditBox->SetText("new.dat");
    MainForm->CreateButtonClick();
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Last().Type, tk::MsgDlgType::Information);  // as for a success
    EXPECT_NE(boxes.Last().Text, "Hard Link Created");
    EXPECT_FALSE(FileExists(dir / "new.dat"));
}

TEST_F(MainWindow, LinksWithoutASelectedFileSaysSoAndShowsNoWindow) {
    MainForm->InputDirList->SetDirectory(dir.Path());
    int windows = 0;
    tk::App->ModalResponder = [&](tk::Form&) { return ++windows, tk::mrOk; };
    MainForm->LinksButtonClick();
    tk::App->ModalResponder = nullptr;
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Select a file in the list first"});
    EXPECT_EQ(windows, 0);
}

TEST_F(MainWindow, HintsShowTheSelectedPathsForLongerThanUsual) {
    dir.MakeFile("one.txt");
    dir.MakeFile("two.txt");
    MainForm->InputDirList->SetDirectory(dir.Path());
    MainForm->OutputDirListBox->SetDirectory(dir.Path());
    bool canShow = true;
    auto hint = [&](tk::Control* c) { return tk::App->PrepareHint(c, canShow); };
    EXPECT_EQ(hint(MainForm->InputFileList).HintStr, "");  // no file selected: no hint
    MainForm->InputFileList->SetItemIndex(1);  // as a click picks it
    Notify(MainForm->InputFileList, LBN_SELCHANGE);
    EXPECT_EQ(hint(MainForm->InputFileList).HintStr, dir / "two.txt");
    EXPECT_EQ(hint(MainForm->OutputDirListBox).HintStr, dir.Path());
    EXPECT_EQ(hint(MainForm->InputDirList).HintStr, dir.Path());
    EXPECT_EQ(hint(MainForm->CreateButton).HintStr, "");
    EXPECT_EQ(hint(MainForm->InputFileList).HideTimeout, 99999);
}

TEST_F(MainWindow, HelpNamesWhyTheReadMeDidNotOpen) {
    std::string readme = tk::ModuleFolder() + "readme.txt";
    ASSERT_FALSE(FileExists(readme));  // the test program's folder holds none
    MainForm->HelpButtonClick();
    // A read-me no program is associated with; Wine's last error then is 193.
    ScopedRegValue noProgram(HKEY_CLASSES_ROOT, ".txt", "", "QuenmoorNoSuchProgram");
    WriteFile(readme, "read me");
    MainForm->HelpButtonClick();
    DeleteFileA(readme.c_str());
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{ErrorText(ERROR_FILE_NOT_FOUND), ErrorText(ERROR_NO_ASSOCIATION)}));
    EXPECT_EQ(boxes.Last().Type, tk::MsgDlgType::Error);
}

TEST(MainWindowStart, ReadsItsFolderOnceAndRewritingTheSameValuesReadsNothing) {
    TempDir dir;
    dir.MakeFile("a.txt");
    dir.MakeDir("sub");
    dir.MakeFile("sub\\b.txt");
    ASSERT_TRUE(SetCurrentDirectoryA(dir.Path().c_str()));
    unsigned long before = FolderSearches();
    ASSERT_TRUE(CreateWindows());
    // Both folder lists and the file list, from one walk; the batch window's
    // hidden list waits until it is pointed at a folder.
    EXPECT_EQ(FolderSearches() - before, 1u);
    EXPECT_EQ(MainForm->InputFileList->Items()->ToVector(), std::vector<std::string>{"a.txt"});
    for (TDirectoryListBox* list : {MainForm->InputDirList, MainForm->OutputDirListBox})
        EXPECT_EQ(list->Items()->Get(list->Items()->Count() - 1), "sub") << list->Name();

    before = FolderSearches();
    TFileListBox* files = MainForm->InputFileList;
    files->SetMask(files->Mask());
    files->SetDirectory(files->Directory());
    files->SetFileType(files->FileType());
    MainForm->InputDirList->SetDirectory(MainForm->InputDirList->Directory());
    MainForm->DriveComboChange();
    EXPECT_EQ(FolderSearches(), before);

    // A folder opened in the folder list is walked once for both lists.
    MainForm->InputDirList->SetItemIndex(MainForm->InputDirList->Items()->IndexOf("sub"));
    Notify(MainForm->InputDirList, LBN_DBLCLK);
    EXPECT_EQ(FolderSearches() - before, 1u);
    EXPECT_EQ(files->Items()->ToVector(), std::vector<std::string>{"b.txt"});

    MultiHardLinkForm->AddFolder(dir.Path());
    EXPECT_EQ(MultiHardLinkForm->InputFileList->Items()->ToVector(), std::vector<std::string>{dir / "a.txt"});
    DestroyWindows();
    SetCurrentDirectoryA("C:\\");
}
