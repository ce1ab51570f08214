#include "about/AboutUnit.h"
#include "app/CreateNewFolder.h"
#include "app/Errors.h"
#include "app/Main.h"
#include "app/MultiHardLink.h"
#include "settings/OptionsUnit.h"
#include "support/GuiFixture.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

class NewFolder : public testing::Test {
protected:
    void SetUp() override {
        tk::App->CreateForm(MainForm);
        tk::App->CreateForm(MultiHardLinkForm);
        tk::App->CreateForm(NewFolderForm);
        MainForm->OutputDirListBox->SetDirectory(dir.Path());
        form = NewFolderForm;
    }
    void TearDown() override {
        delete NewFolderForm;
        delete MultiHardLinkForm;
        delete MainForm;
        NewFolderForm = nullptr;
        MultiHardLinkForm = nullptr;
        MainForm = nullptr;
    }
    // Runs an action on the window and tells whether it asked to close.
    bool ShownDoing(const std::function<void()>& action) {
        bool closed = false;
        form->OnClose = [&](tk::CloseAction&) { closed = true; };
        action();
        form->OnClose = nullptr;
        return closed;
    }

    TempDir dir;
    MessageLog boxes;
    TNewFolderForm* form = nullptr;
};

}  // namespace

TEST_F(NewFolder, ControlsFollowTheFormDescription) {
    EXPECT_EQ(form->Caption(), "New Folder");
    EXPECT_EQ(form->ClientWidth(), 302);
    EXPECT_EQ(form->ClientHeight(), 71);
    struct Row {
        tk::Control* c;
        tk::Bounds b;
        const char* text;
        int tab;
    } rows[] = {{form->NameLabel, {8, 10, 31, 13}, "Name:", -1},
                {form->EditDirBox, {48, 8, 249, 21}, "", 0},
                {form->OkButton, {144, 40, 73, 25}, "Ok", 1},
                {form->CancelButton, {224, 40, 73, 25}, "Cancel", 2}};
    for (auto& r : rows) {
        RECT w;
        GetWindowRect(r.c->Handle(), &w);
        MapWindowPoints(nullptr, form->Handle(), reinterpret_cast<POINT*>(&w), 2);
        EXPECT_EQ(w.left, r.b.Left) << r.c->Name();
        EXPECT_EQ(w.top, r.b.Top) << r.c->Name();
        if (r.tab >= 0) EXPECT_EQ(w.right - w.left, r.b.Width) << r.c->Name();  // labels size themselves
        EXPECT_EQ(r.c->Caption(), r.text) << r.c->Name();
        EXPECT_EQ(r.c->TabOrder(), r.tab) << r.c->Name();
    }
    EXPECT_FALSE(form->OkButton->Default);
    EXPECT_FALSE(form->CancelButton->Cancel);
}

TEST_F(NewFolder, OkCreatesTheFolderAndOnlyTheOutputListShowsIt) {
    MainForm->InputDirList->SetDirectory(dir.Path());
    form->EditDirBox->SetText("Fresh");
    EXPECT_TRUE(ShownDoing([&] { form->OkButtonClick(); }));
    EXPECT_TRUE(DirExists(dir / "Fresh"));
    EXPECT_GE(MainForm->OutputDirListBox->Items()->IndexOf("Fresh"), 0);
    EXPECT_EQ(MainForm->InputDirList->Items()->IndexOf("Fresh"), -1);
    EXPECT_EQ(form->EditDirBox->Text(), "");
    EXPECT_TRUE(boxes.Boxes.empty());
}

TEST_F(NewFolder, EnterInTheFieldActsAsOk) {
    form->EditDirBox->SetText("ByEnter");
    EXPECT_TRUE(ShownDoing([&] { SendMessageA(form->EditDirBox->Handle(), WM_CHAR, '\r', 0); }));
    EXPECT_TRUE(DirExists(dir / "ByEnter"));
    // Other characters reach the field.
    SendMessageA(form->EditDirBox->Handle(), WM_CHAR, 'x', 0);
    EXPECT_EQ(form->EditDirBox->Text(), "x");
}

TEST_F(NewFolder, FailuresReportTheSystemsSentenceAndEmptyTheField) {
    dir.MakeDir("Taken");
    form->EditDirBox->SetText("Taken");
    EXPECT_TRUE(ShownDoing([&] { form->OkButtonClick(); }));
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Last().Text, ErrorText(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(boxes.Last().Type, tk::MsgDlgType::Error);
    EXPECT_TRUE(boxes.Last().Buttons == tk::MsgDlgButtons{tk::mbOK});
    EXPECT_EQ(form->EditDirBox->Text(), "");

    form->EditDirBox->SetText("bad<name>");
    form->OkButtonClick();
    ASSERT_EQ(boxes.Boxes.size(), 2u);
    EXPECT_EQ(boxes.Last().Text, ErrorText(ERROR_INVALID_NAME));
}

TEST_F(NewFolder, EmptyNameDoesNothingAndCancelKeepsTheText) {
    EXPECT_FALSE(ShownDoing([&] { form->OkButtonClick(); }));
    EXPECT_TRUE(boxes.Boxes.empty());

    form->EditDirBox->SetText("Later");
    EXPECT_TRUE(ShownDoing([&] { form->CancelButtonClick(); }));
    EXPECT_EQ(form->EditDirBox->Text(), "Later");
    EXPECT_FALSE(DirExists(dir / "Later"));
}

TEST_F(NewFolder, TheMainWindowsButtonShowsItModally) {
    ModalLog modal;
    MainForm->NewFolderButonClick();
    EXPECT_EQ(modal.Shown, std::vector<std::string>{"NewFolderForm"});
}
