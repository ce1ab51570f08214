#include "app/Errors.h"
#include "app/Main.h"
#include "support/GuiFixture.h"
#include "support/Windows.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace testsupport;

namespace {

// The five windows as start-up makes them, destroyed after each test.
class MainWindow : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(CreateWindows()); }
    void TearDown() override { DestroyWindows(); }

    // Picks a file in the existing-file list as a click would.
    void SelectFile(const std::string& name) {
        auto* list = MainForm->InputFileList;
        int i = list->Items()->IndexOf(name);
        ASSERT_GE(i, 0) << name;
        list->SetItemIndex(i);
        SendMessageA(list->Parent()->Handle(), WM_COMMAND, MAKEWPARAM(list->Id(), LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(list->Handle()));
    }

    TempDir dir;
    MessageLog boxes;
};

}  // namespace

TEST_F(MainWindow, WindowParentsPlacementAndTabOrder) {
    EXPECT_EQ(MainForm->Caption(), "Quenmoor");
    RECT client;
    GetClientRect(MainForm->Handle(), &client);
    EXPECT_EQ(client.right, 560);
    EXPECT_EQ(client.bottom, 353);
    LONG style = GetWindowLongA(MainForm->Handle(), GWL_STYLE);
    EXPECT_TRUE((style & WS_MINIMIZEBOX) && !(style & WS_MAXIMIZEBOX) && !(style & WS_THICKFRAME));
    // Positions are within the parent: the group box's own children and the
    // controls laid over the groups from the window.
    struct Row {
        tk::Control* c;
        tk::Control* parent;
        POINT at;
    } rows[] = {
        {MainForm->OutputDirListBox, MainForm->OutputGroupBox, {8, 16}},
        {MainForm->CreateButton, MainForm->OutputGroupBox, {64, 280}},
        {MainForm->CreateHardLinkLabel, MainForm->OutputGroupBox, {8, 232}},
        {MainForm->InputFileList, MainForm, {24, 168}},
        {MainForm->OutputFileEditBox, MainForm, {248, 280}},
        {MainForm->FilterBox, MainForm, {24, 318}},
    };
    for (const Row& row : rows) {
        RECT r;
        GetWindowRect(row.c->Handle(), &r);
        MapWindowPoints(nullptr, row.parent->Handle(), reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(GetParent(row.c->Handle()), row.parent->Handle()) << row.c->Name();
        EXPECT_EQ(r.left, row.at.x) << row.c->Name();
        EXPECT_EQ(r.top, row.at.y) << row.c->Name();
        // Laid-over controls are drawn above their group.
        if (row.parent == MainForm) EXPECT_EQ(ChildWindowFromPoint(MainForm->Handle(), POINT{r.left + 5, r.top + 5}), row.c->Handle());
    }
    for (tk::Label* label : {MainForm->Label1, MainForm->CreateHardLinkLabel})
        EXPECT_GE(label->Width(), TextWidth(label->Handle())) << label->Caption();  // fits in any font
    std::vector<std::string> order;
    for (tk::Control* c : MainForm->TabList()) order.push_back(c->Name());
    EXPECT_EQ(order, (std::vector<std::string>{"DriveCombo", "InputDirList", "InputFileList", "OutputDirListBox",
                                               "CreateButton", "OutputFileEditBox", "NewFolderButon",
                                               "MultiHardLinkButton", "HelpButton", "AboutButton", "ExitButton",
                                               "OptionsButton", "FilterBox"}));
    EXPECT_EQ(MainForm->OutputFileEditBox->Text(), "*.*");
}

TEST_F(MainWindow, CreateMakesARealHardLink) {
    std::string source = dir.MakeFile("source.dat", "payload");
    std::string out = dir.MakeDir("out");
    MainForm->InputDirList->SetDirectory(dir.Path());
    SelectFile("source.dat");
    EXPECT_EQ(MainForm->OutputFileEditBox->Text(), "source.dat");
    MainForm->OutputDirListBox->SetDirectory(out);
    MainForm->OutputFileEditBox->SetText("linked.dat");
    MainForm->CreateButtonClick();

    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Last().Text, "Hard Link Created");
    EXPECT_EQ(boxes.Last().Type, tk::MsgDlgType::Information);
    EXPECT_EQ(boxes.Last().Caption, "Information");
    EXPECT_TRUE(boxes.Last().Buttons == tk::MsgDlgButtons{tk::mbOK});
    FileIdentity a = IdentityOf(source), b = IdentityOf(out + "\\linked.dat");
    ASSERT_TRUE(a.ok && b.ok);
    EXPECT_EQ(a.index, b.index);
    EXPECT_EQ(a.volume, b.volume);
    EXPECT_EQ(b.links, 2u);
    EXPECT_EQ(ReadFile(out + "\\linked.dat"), "payload");
    // Nothing else happens: the name field keeps its text.
    EXPECT_EQ(MainForm->OutputFileEditBox->Text(), "linked.dat");
}

TEST_F(MainWindow, FailuresAreReportedWithTheSentenceAndChangeNothing) {
    std::string source = dir.MakeFile("source.dat", "payload");
    std::string taken = dir.MakeFile("taken.dat", "other");
    MainForm->InputDirList->SetDirectory(dir.Path());
    MainForm->OutputDirListBox->SetDirectory(dir.Path());
    struct Case {
        bool select;
        std::string name;
        std::vector<int> codes;  // the sentences the system may give; empty: any but success
    } cases[] = {
        {true, "taken.dat", {183, 80}},     // the target exists
        {true, "bad|name?.dat", {123}},     // characters the file system refuses
        {true, "", {}},                     // an empty name names the folder itself
        {true, std::string(300, 'x'), {}},  // beyond the length limit
        {false, "new.dat", {}},             // no file selected
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.substr(0, 20));
        if (c.select) SelectFile("source.dat");
        else MainForm->InputFileList->SetItemIndex(-1);
        MainForm->OutputFileEditBox->SetText(c.name);
        size_t before = boxes.Boxes.size();
        MainForm->CreateButtonClick();
        ASSERT_EQ(boxes.Boxes.size(), before + 1);
        EXPECT_EQ(boxes.Last().Type, tk::MsgDlgType::Information);
        EXPECT_NE(boxes.Last().Text, "Hard Link Created");
        if (!c.codes.empty())
            EXPECT_TRUE(std::any_of(c.codes.begin(), c.codes.end(),
                                    [&](int code) { return boxes.Last().Text == ErrorText(code); }))
                << boxes.Last().Text;
    }
    EXPECT_EQ(ReadFile(taken), "other");
    EXPECT_EQ(IdentityOf(source).links, 1u);
    EXPECT_FALSE(FileExists(dir / "new.dat"));
}

TEST_F(MainWindow, HintsShowTheSelectedPathsForLongerThanUsual) {
    dir.MakeFile("one.txt");
    dir.MakeFile("two.txt");
    MainForm->InputDirList->SetDirectory(dir.Path());
    MainForm->OutputDirListBox->SetDirectory(dir.Path());
    bool canShow = true;
    auto hint = [&](tk::Control* c) { return tk::App->PrepareHint(c, canShow); };
    EXPECT_EQ(hint(MainForm->InputFileList).HintStr, "");  // no file selected: no hint
    SelectFile("two.txt");
    EXPECT_EQ(hint(MainForm->InputFileList).HintStr, dir / "two.txt");
    EXPECT_EQ(hint(MainForm->OutputDirListBox).HintStr, dir.Path());
    EXPECT_EQ(hint(MainForm->InputDirList).HintStr, dir.Path());
    EXPECT_EQ(hint(MainForm->CreateButton).HintStr, "");
    for (tk::Control* c : {static_cast<tk::Control*>(MainForm->InputFileList), static_cast<tk::Control*>(MainForm->CreateButton)})
        EXPECT_EQ(hint(c).HideTimeout, 99999);
    EXPECT_TRUE(canShow);
}

TEST_F(MainWindow, ButtonsShowTheOtherWindowsModally) {
    ModalLog modal;
    MainForm->NewFolderButonClick();
    MainForm->MultiHardLinkButtonClick();
    MainForm->OptionsButtonClick();
    MainForm->AboutButtonClick();
    EXPECT_EQ(modal.Shown, (std::vector<std::string>{"NewFolderForm", "MultiHardLinkForm", "OptionsForm", "AboutForm"}));
}

TEST_F(MainWindow, AnErrorInAHandlerShowsTheStandardBoxAndTheProgramGoesOn) {
    MainForm->CreateButton->OnClick = [] { throw tk::Exception("Failed to set data for 'Language'"); };
    SendMessageA(MainForm->OutputGroupBox->Handle(), WM_COMMAND, MAKEWPARAM(MainForm->CreateButton->Id(), BN_CLICKED),
                 reinterpret_cast<LPARAM>(MainForm->CreateButton->Handle()));
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_TRUE(boxes.Last().StandardErrorBox);
    EXPECT_EQ(boxes.Last().Caption, "Quenmoor");
    EXPECT_EQ(boxes.Last().Text, "Failed to set data for 'Language'");
    EXPECT_TRUE(IsWindow(MainForm->Handle()));
}

TEST_F(MainWindow, HelpWithoutAReadMeReportsTheShellsError) {
    // The test program's folder holds no read-me.
    ASSERT_FALSE(FileExists(tk::ModuleFolder() + "readme.txt"));
    MainForm->HelpButtonClick();
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Last().Type, tk::MsgDlgType::Error);
    EXPECT_TRUE(boxes.Last().Buttons == tk::MsgDlgButtons{tk::mbOK});
    // Whatever code the shell left, the text is its sentence.
    const std::string& text = boxes.Last().Text;
    size_t open = text.rfind('(');
    ASSERT_NE(open, std::string::npos) << text;
    EXPECT_EQ(text, ErrorText(std::stoi(text.substr(open + 1))));
}

TEST_F(MainWindow, ASourceOnAnotherVolumeReportsTheDriveSentence) {
    // Wine shows the Unix root as Z:; /dev/shm is a file system of its own.
    std::string other = "Z:\\dev\\shm\\qm" + std::to_string(GetCurrentProcessId());
    if (!CreateDirectoryA(other.c_str(), nullptr)) GTEST_SKIP() << "no second file system here";
    HANDLE h = CreateFileA((other + "\\away.dat").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(h);
    MainForm->InputDirList->SetDirectory(other);
    MainForm->OutputDirListBox->SetDirectory(dir.Path());
    SelectFile("away.dat");
    MainForm->CreateButtonClick();
    RemoveTree(other);
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Last().Text, ErrorText(17));
    EXPECT_FALSE(FileExists(dir / "away.dat"));
}
