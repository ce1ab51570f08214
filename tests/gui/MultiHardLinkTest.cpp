// The batch window: gathering files and linking them all into one folder.
#include "app/Errors.h"
#include "app/Main.h"
#include "app/MultiHardLink.h"
#include "support/GuiFixture.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

class Batch : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CreateWindows());
        form = MultiHardLinkForm;
    }
    void TearDown() override { DestroyWindows(); }
    std::vector<std::string> List() { return form->InputFileList->Items()->ToVector(); }
    std::vector<std::string> Texts() {
        std::vector<std::string> out;
        for (const auto& b : boxes.Boxes) out.push_back(b.Text);
        return out;
    }
    void Go(const std::string& folder, bool replace = false, bool quiet = false) {
        form->DirectoryOutput->SetText(folder);
        form->HLExists->SetChecked(replace);
        form->SupressErr->SetChecked(quiet);
        form->GoButtonClick();
    }
    bool Linked(const std::string& a, const std::string& b) {
        FileIdentity x = IdentityOf(a), y = IdentityOf(b);
        return x.ok && y.ok && x.index == y.index && x.volume == y.volume && x.links >= 2;
    }
    TempDir in, out;
    MessageLog boxes;
    TMultiHardLinkForm* form = nullptr;
};

}  // namespace

TEST_F(Batch, GoWarnsOfAnEmptyListThenOfAnEmptyFolderAndDoesNothingElse) {
    Go("");
    EXPECT_EQ(Texts(), (std::vector<std::string>{"Choose files", "Choose output folder"}));
    EXPECT_EQ(boxes.Last().Type, tk::MsgDlgType::Warning);
    std::string a = in.MakeFile("a.txt");
    form->AddFiles({a});
    Go("");
    EXPECT_EQ(boxes.Boxes.size(), 3u);
    EXPECT_EQ(List(), std::vector<std::string>{a});
}

TEST_F(Batch, LinkedEntriesLeaveTheListAndFailuresStayInOrder) {
    std::string a = in.MakeFile("a.txt"), gone = in / "gone.txt", b = in.MakeFile("b.txt");
    in.MakeFile("c.txt");
    form->AddFiles({a, gone, b});
    Go(out.Path());
    EXPECT_EQ(List(), std::vector<std::string>{gone});
    EXPECT_EQ(Texts(), std::vector<std::string>{ErrorText(ERROR_FILE_NOT_FOUND)});
    EXPECT_EQ(boxes.Last().Type, tk::MsgDlgType::Error);
    EXPECT_TRUE(Linked(a, out / "a.txt"));
    EXPECT_TRUE(Linked(b, out / "b.txt"));
    EXPECT_FALSE(FileExists(out / "c.txt"));
    EXPECT_EQ(form->InputGroupBox->Caption(), " Input (files: 1) ");

    // nothing left that can fail
    form->RemoveAllButtonClick();
    form->AddFiles({in.MakeFile("d.txt")});
    Go(out.Path());
    EXPECT_TRUE(List().empty());
    EXPECT_EQ(form->InputGroupBox->Caption(), " Input (files: 0) ");
}

TEST_F(Batch, AMissingFolderFailsEveryEntryAloudOrSilently) {
    std::string a = in.MakeFile("a.txt"), b = in.MakeFile("b.txt");
    for (bool quiet : {false, true}) {
        boxes.Boxes.clear();
        form->RemoveAllButtonClick();
        form->AddFiles({a, b});
        Go(out / "missing", false, quiet);
        EXPECT_EQ(List(), (std::vector<std::string>{a, b}));
        EXPECT_EQ(boxes.Boxes.size(), quiet ? 0u : 2u);
    }
    EXPECT_FALSE(DirExists(out / "missing"));
}

TEST_F(Batch, CancelInAnErrorBoxKeepsThatEntryAndEveryLaterOne) {
    std::string a = in.MakeFile("a.txt"), gone = in / "gone.txt", b = in.MakeFile("b.txt"), c = in.MakeFile("c.txt");
    form->AddFiles({a, gone, b, c});
    boxes.Answers = {tk::mrCancel};
    Go(out.Path());
    EXPECT_EQ(List(), (std::vector<std::string>{gone, b, c}));
    EXPECT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_TRUE(FileExists(out / "a.txt"));
    EXPECT_FALSE(FileExists(out / "b.txt"));
}

TEST_F(Batch, RemoveTakesEverySelectedEntryAndTheSameFileMayBeListedTwice) {
    std::string a = in.MakeFile("a.txt"), b = in.MakeFile("b.txt");
    form->AddFiles({a, a, b, b});
    form->InputFileList->SetSelected(0, true);
    form->InputFileList->SetSelected(2, true);
    form->InputFileList->SetSelected(3, true);
    form->RemoveButtonClick();
    EXPECT_EQ(List(), std::vector<std::string>{a});
    EXPECT_EQ(form->InputGroupBox->Caption(), " Input (files: 1) ");
}

TEST_F(Batch, ReplacingNeverLosesAFile) {
    // A second volume on another file system, where no link can reach.
    std::string shm = "Z:\\dev\\shm\\quenmoor-batch-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(shm.c_str(), nullptr);
    std::string elsewhere = WriteFile(shm + "\\far.txt", "far");
    struct Case {
        const char* what;
        std::string source;
        bool removeSource;
        int code;  // 0: linked
    } cases[] = {
        {"source removed before Go!", in.MakeFile("removed.txt", "new"), true, ERROR_FILE_NOT_FOUND},
        {"source on another volume", elsewhere, false, ERROR_NOT_SAME_DEVICE},
        {"replaced", in.MakeFile("fine.txt", "new"), false, 0},
    };
    for (const Case& c : cases) {
        std::string name = c.source.substr(c.source.rfind('\\') + 1);
        std::string existing = WriteFile(out / name, "old bytes");
        form->RemoveAllButtonClick();
        boxes.Boxes.clear();
        form->AddFiles({c.source});
        if (c.removeSource) DeleteFileA(c.source.c_str());
        Go(out.Path(), true);
        if (c.code) {
            EXPECT_EQ(ReadFile(existing), "old bytes") << c.what;
            EXPECT_EQ(Texts(), std::vector<std::string>{ErrorText(c.code)}) << c.what;
            EXPECT_EQ(List().size(), 1u) << c.what;
        } else {
            EXPECT_TRUE(Linked(c.source, existing)) << c.what;
            EXPECT_TRUE(boxes.Boxes.empty()) << c.what;
        }
        WIN32_FIND_DATAA fd;
        tk::FindHandle leftover(FindFirstFileA((out / "*quenmoor*").c_str(), &fd));
        EXPECT_FALSE(leftover) << c.what << ": " << fd.cFileName;
    }
    DeleteFileA(elsewhere.c_str());
    RemoveDirectoryA(shm.c_str());

    // The output folder is the input folder: every entry already is there.
    std::string own = in.MakeFile("own.txt", "only copy");
    form->RemoveAllButtonClick();
    boxes.Boxes.clear();
    form->AddFiles({own});
    Go(in.Path(), true);
    EXPECT_TRUE(List().empty());
    EXPECT_TRUE(boxes.Boxes.empty());
    EXPECT_EQ(ReadFile(own), "only copy");

    // A read-only file in the way stays, as its deletion would have failed.
    std::string guarded = WriteFile(out / "own.txt", "guarded");
    SetFileAttributesA(guarded.c_str(), FILE_ATTRIBUTE_READONLY);
    form->AddFiles({own});
    Go(out.Path(), true);
    EXPECT_EQ(Texts(), std::vector<std::string>{ErrorText(ERROR_ACCESS_DENIED)});
    EXPECT_EQ(ReadFile(guarded), "guarded");
    SetFileAttributesA(guarded.c_str(), FILE_ATTRIBUTE_NORMAL);

    // A folder of the entry's name is never touched.
    in.MakeDir("folder.txt");
    std::string f = out.MakeFile("folder.txt", "src");
    form->AddFiles({f});
    Go(in.Path(), true);
    EXPECT_TRUE(DirExists(in / "folder.txt"));
    EXPECT_EQ(List(), std::vector<std::string>{f});
}

TEST_F(Batch, MainWindowEmptiesTheListBeforeEachShowing) {
    form->AddFiles({in.MakeFile("a.txt")});
    ModalLog modal;
    MainForm->MultiHardLinkButtonClick();
    EXPECT_EQ(modal.Shown, std::vector<std::string>{"MultiHardLinkForm"});
    EXPECT_TRUE(List().empty());
    EXPECT_EQ(form->InputGroupBox->Caption(), " Input (files: 0) ");
}
