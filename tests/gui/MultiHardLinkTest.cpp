// The batch window: gathering files and linking them all into one folder.
#include "app/Errors.h"
#include "app/Main.h"
#include "app/MultiHardLink.h"
#include "support/GuiFixture.h"

#include <gtest/gtest.h>

using namespace testsupport;
using Texts = std::vector<std::string>;

namespace {

class Batch : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CreateWindows());
        form = MultiHardLinkForm;
    }
    void TearDown() override { DestroyWindows(); }
    Texts List() { return form->InputFileList->Items()->ToVector(); }
    // A fresh list of these entries, then Go!.
    void Go(const Texts& entries, const std::string& folder, bool replace = false, bool quiet = false) {
        form->RemoveAllButtonClick();
        form->AddFiles(entries);
        boxes.Boxes.clear();
        form->DirectoryOutput->SetText(folder);
        form->HLExists->SetChecked(replace);
        form->SupressErr->SetChecked(quiet);
        form->GoButtonClick();
    }
    std::string Count() { return form->InputGroupBox->Caption(); }
    TempDir in, out;
    MessageLog boxes;
    TMultiHardLinkForm* form = nullptr;
};

}  // namespace

TEST_F(Batch, GoWarnsOfAnEmptyListOrFolderAndAMissingFolderFailsEveryEntryAloudOrSilently) {
    Go({}, "");
    EXPECT_EQ(boxes.Texts(), (Texts{"Choose files", "Choose output folder"}));
    EXPECT_EQ(boxes.Last().Type, tk::MsgDlgType::Warning);
    std::string a = in.MakeFile("a.txt"), b = in.MakeFile("b.txt");
    Go({a}, "");
    EXPECT_EQ(boxes.Texts(), Texts{"Choose output folder"});
    EXPECT_EQ(List(), Texts{a});
    for (bool quiet : {false, true}) {
        Go({a, b}, out / "missing", false, quiet);
        EXPECT_EQ(List(), (Texts{a, b}));
        EXPECT_EQ(boxes.Boxes.size(), quiet ? 0u : 2u);
    }
    EXPECT_FALSE(DirExists(out / "missing"));
}

TEST_F(Batch, LinkedEntriesLeaveTheListFailuresStayInOrderAndCancelKeepsEveryLaterOne) {
    std::string a = in.MakeFile("a.txt"), gone = in / "gone.txt", b = in.MakeFile("b.txt"), c = in.MakeFile("c.txt");
    Go({a, gone, b}, out.Path());
    EXPECT_EQ(List(), Texts{gone});
    EXPECT_EQ(boxes.Texts(), Texts{ErrorText(ERROR_FILE_NOT_FOUND)});
    EXPECT_EQ(boxes.Last().Type, tk::MsgDlgType::Error);
    EXPECT_EQ(SharedLinks(a, out / "a.txt"), 2u);
    EXPECT_EQ(SharedLinks(b, out / "b.txt"), 2u);
    EXPECT_FALSE(FileExists(out / "c.txt"));
    EXPECT_EQ(Count(), " Input (files: 1) ");
    std::string d = in.MakeFile("d.txt");
    Go({d}, out.Path());  // nothing left that can fail
    EXPECT_TRUE(List().empty());
    EXPECT_EQ(Count(), " Input (files: 0) ");
    // Cancel in an error box keeps that entry and every later one.
    std::string e = in.MakeFile("e.txt");
    boxes.Answers = {tk::mrCancel};
    Go({e, gone, c, d}, out.Path());
    EXPECT_EQ(List(), (Texts{gone, c, d}));
    EXPECT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_TRUE(FileExists(out / "e.txt"));
    EXPECT_FALSE(FileExists(out / "c.txt"));
}

TEST_F(Batch, RemoveTakesEverySelectedEntryAndTheMainWindowEmptiesTheListBeforeEachShowing) {
    std::string a = in.MakeFile("a.txt"), b = in.MakeFile("b.txt");
    form->AddFiles({a, a, b, b});  // the same file may be listed twice
    for (int i : {0, 2, 3}) form->InputFileList->SetSelected(i, true);
    form->RemoveButtonClick();
    EXPECT_EQ(List(), Texts{a});
    EXPECT_EQ(Count(), " Input (files: 1) ");
    ModalLog modal;
    MainForm->MultiHardLinkButtonClick();
    EXPECT_EQ(modal.Shown, Texts{"MultiHardLinkForm"});
    EXPECT_TRUE(List().empty());
    EXPECT_EQ(Count(), " Input (files: 0) ");
}

TEST_F(Batch, ReplacingNeverLosesAFile) {
    TempDir other(OtherVolume);
    const struct {
        const char* what;
        std::string source;
        bool removeSource;
        int code;  // 0: linked
    } cases[] = {
        {"source removed before Go!", in.MakeFile("removed.txt", "new"), true, ERROR_FILE_NOT_FOUND},
        {"source on another volume", other.MakeFile("far.txt", "far"), false, ERROR_NOT_SAME_DEVICE},
        {"replaced", in.MakeFile("fine.txt", "new"), false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string existing = WriteFile(out / c.source.substr(c.source.rfind('\\') + 1), "old bytes");
        if (c.removeSource) DeleteFileA(c.source.c_str());
        Go({c.source}, out.Path(), true);
        EXPECT_EQ(boxes.Texts(), c.code ? Texts{ErrorText(c.code)} : Texts{});
        if (c.code) { EXPECT_EQ(ReadFile(existing), "old bytes"); }
        EXPECT_EQ(SharedLinks(c.source, existing), c.code ? 0u : 2u);
        EXPECT_EQ(List().size(), c.code ? 1u : 0u);
        WIN32_FIND_DATAA fd;
        tk::FindHandle leftover(FindFirstFileA((out / "*quenmoor*").c_str(), &fd));
        EXPECT_FALSE(leftover) << fd.cFileName;
    }

    // A name the aside would take is another file's: it stays as it is.
    std::string taken = in.MakeFile("taken.txt", "new"), inWay = WriteFile(out / "taken.txt", "old");
    std::string someone = WriteFile(out / "taken.txt.1.quenmoor-replaced", "someone's");
    std::string folder = out.MakeDir("taken.txt.2.quenmoor-replaced");
    Go({taken}, out.Path(), true);
    EXPECT_EQ(SharedLinks(taken, inWay), 2u);
    EXPECT_EQ(ReadFile(someone), "someone's");
    EXPECT_TRUE(DirExists(folder));
    EXPECT_FALSE(FileExists(out / "taken.txt.3.quenmoor-replaced"));

    // Cancel in the box of a failed replacing link: the file in the way is
    // back, and the entry and every later one stay listed.
    std::string distant = other.MakeFile("far2.txt", "far"), later = in.MakeFile("later.txt");
    std::string farWay = WriteFile(out / "far2.txt", "old bytes");
    boxes.Answers = {tk::mrCancel};
    Go({distant, later}, out.Path(), true);
    EXPECT_EQ(List(), (Texts{distant, later}));
    EXPECT_EQ(ReadFile(farWay), "old bytes");
    EXPECT_FALSE(FileExists(out / "later.txt"));
    EXPECT_FALSE(FileExists(out / "far2.txt.1.quenmoor-replaced"));

    // The output folder is the input folder: every entry already is there.
    std::string own = in.MakeFile("own.txt", "only copy");
    Go({own}, in.Path(), true);
    EXPECT_TRUE(List().empty());
    EXPECT_TRUE(boxes.Boxes.empty());
    EXPECT_EQ(ReadFile(own), "only copy");

    // Read-only, and already the entry itself: linked, not refused.
    SetFileAttributesA(own.c_str(), FILE_ATTRIBUTE_READONLY);
    Go({own}, in.Path(), true);
    EXPECT_TRUE(List().empty());
    EXPECT_TRUE(boxes.Boxes.empty()) << boxes.Last().Text;
    SetFileAttributesA(own.c_str(), FILE_ATTRIBUTE_NORMAL);

    // A read-only file in the way stays, as its deletion would have failed.
    std::string guarded = WriteFile(out / "own.txt", "guarded");
    SetFileAttributesA(guarded.c_str(), FILE_ATTRIBUTE_READONLY);
    Go({own}, out.Path(), true);
    EXPECT_EQ(boxes.Texts(), Texts{ErrorText(ERROR_ACCESS_DENIED)});
    EXPECT_EQ(ReadFile(guarded), "guarded");

    // A folder of the entry's name is never touched.
    in.MakeDir("folder.txt");
    std::string f = out.MakeFile("folder.txt", "src");
    Go({f}, in.Path(), true);
    EXPECT_TRUE(DirExists(in / "folder.txt"));
    EXPECT_EQ(List(), Texts{f});
}

// A run that only skips still repaints now and then, as any run does: it
// is busy, not hung.
TEST_F(Batch, AQuietRunOfSkipsStillRepaints) {
    static int paints = 0;
    HHOOK hook = SetWindowsHookExW(
        WH_GETMESSAGE,
        [](int code, WPARAM wp, LPARAM lp) -> LRESULT {
            if (code == HC_ACTION && reinterpret_cast<MSG*>(lp)->message == WM_PAINT) ++paints;
            return CallNextHookEx(nullptr, code, wp, lp);
        },
        nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    std::string a = in.MakeFile("a.txt"), inTheWay = out.MakeFile("a.txt", "keep");
    SetFileAttributesA(inTheWay.c_str(), FILE_ATTRIBUTE_READONLY);  // every entry is refused before its link
    form->Show();
    paints = 0;
    // Long enough to pass the run's repaint interval many times over.
    Texts entries(1000, a);
    form->RemoveAllButtonClick();
    form->AddFiles(entries);
    form->DirectoryOutput->SetText(out.Path());
    form->HLExists->SetChecked(true);
    form->SupressErr->SetChecked(true);
    InvalidateRect(form->Handle(), nullptr, TRUE);
    form->GoButtonClick();
    const int seen = paints;
    UnhookWindowsHookEx(hook);
    form->Hide();
    SetFileAttributesA(inTheWay.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(List().size(), entries.size());
    EXPECT_GT(seen, 0);
}
