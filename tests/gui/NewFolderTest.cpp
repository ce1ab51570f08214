// The new-folder window over the main window's output folder.
#include "app/CreateNewFolder.h"
#include "app/Errors.h"
#include "app/Main.h"
#include "support/GuiFixture.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

class NewFolder : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CreateWindows());
        MainForm->InputDirList->SetDirectory(dir.Path());
        MainForm->OutputDirListBox->SetDirectory(dir.Path());
        form = NewFolderForm;
        form->OnClose = [this](tk::CloseAction&) { ++closes; };
    }
    void TearDown() override { DestroyWindows(); }
    TempDir dir;
    MessageLog boxes;
    TNewFolderForm* form = nullptr;
    int closes = 0;
};

}  // namespace

TEST_F(NewFolder, OkOrEnterMakesTheFolderOrReportsTheSystemsSentenceAndEmptiesTheFieldCancelKeepsIt) {
    form->OkButtonClick();  // an empty name: nothing at all
    EXPECT_EQ(closes, 0);
    EXPECT_TRUE(boxes.Boxes.empty());
    dir.MakeDir("Taken");
    const struct {
        const char* name;
        int code;
        bool byEnter;
    } cases[] = {{"Fresh", 0, false}, {"ByEnter", 0, true},  // Enter in the field acts as OK
                 {"Taken", ERROR_ALREADY_EXISTS, false}, {"bad<name>", ERROR_INVALID_NAME, false}};
    for (const auto& c : cases) {
        boxes.Boxes.clear();
        form->EditDirBox->SetText(c.name);
        if (c.byEnter) SendMessageA(form->EditDirBox->Handle(), WM_CHAR, '\r', 0);
        else form->OkButtonClick();
        EXPECT_EQ(boxes.Boxes.empty() ? "" : boxes.Last().Text, c.code ? ErrorText(c.code) : "") << c.name;
        EXPECT_TRUE(c.code || DirExists(dir / c.name)) << c.name;
        EXPECT_EQ(form->EditDirBox->Text(), "");
    }
    EXPECT_EQ(boxes.Last().Type, tk::MsgDlgType::Error);
    EXPECT_EQ(closes, 4);
    EXPECT_GE(MainForm->OutputDirListBox->Items()->IndexOf("Fresh"), 0);
    EXPECT_EQ(MainForm->InputDirList->Items()->IndexOf("Fresh"), -1);
    SendMessageA(form->EditDirBox->Handle(), WM_CHAR, 'x', 0);  // other keys reach the field
    form->CancelButtonClick();
    EXPECT_EQ(closes, 5);
    EXPECT_EQ(boxes.Boxes.size(), 1u);  // none from Cancel
    EXPECT_EQ(form->EditDirBox->Text(), "x");
    EXPECT_FALSE(DirExists(dir / "x"));
}
