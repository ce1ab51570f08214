// Names beyond any one code page and paths beyond 260 characters, through
// the real windows, read back from the disk in UTF-16.
#include "app/CreateNewFolder.h"
#include "app/Errors.h"
#include "app/Main.h"
#include "app/MultiHardLink.h"
#include "fs/FileSystem.h"
#include "support/GuiFixture.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace testsupport;
using Texts = std::vector<std::string>;

namespace {

// CJK, Cyrillic, Greek, an emoji outside the basic plane, a combining accent.
const std::string Mixed = "\u65E5\u672C-\u0436-\u03A9\u03BC-\U0001F600-e\u0301";

// What the disk holds in a folder, as UTF-16, sorted.
std::vector<std::wstring> NamesOnDisk(const std::string& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW((fs::ExtendedPath(folder) + L"\\*").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) return names;
    do
        if (fd.cFileName[0] != L'.') names.push_back(fd.cFileName);
    while (FindNextFileW(find, &fd));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

DWORD Links(const std::string& a, const std::string& b) { return SharedLinks(fs::ExtendedPath(a), fs::ExtendedPath(b)); }

std::string Make(const std::string& path, const std::string& content) {
    HANDLE h = fs::Open(path, GENERIC_WRITE, 0, CREATE_ALWAYS, 0);
    DWORD written = 0;
    WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(h);
    return path;
}

std::string Content(const std::string& path) {
    HANDLE h = fs::Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0);
    char buf[64];
    DWORD read = 0;
    ::ReadFile(h, buf, sizeof buf, &read, nullptr);
    CloseHandle(h);
    return std::string(buf, read);
}

// A folder chain below root at least length characters long.
std::string DeepFolder(const std::string& root, size_t length) {
    std::string folder = root;
    fs::CreateFolder(root);
    for (int i = 0; folder.size() < length; ++i) {
        folder += "\\" + std::to_string(i) + std::string(60, 'l');
        fs::CreateFolder(folder);
    }
    return folder;
}

class Names : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(CreateWindows()); }
    void TearDown() override {
        DestroyWindows();
        SetCurrentDirectoryW(L"C:\\");
    }
    // Selects a file as a click in the file list does.
    void Select(const std::string& name) {
        TFileListBox* files = MainForm->InputFileList;
        files->SetItemIndex(files->Items()->IndexOf(name));
        Notify(files, LBN_SELCHANGE);
    }
    // Create in the main window: the box's text.
    std::string CreateAs(const std::string& folder, const std::string& name) {
        MainForm->OutputDirListBox->SetDirectory(folder);
        MainForm->OutputFileEditBox->SetText(name);
        boxes.Boxes.clear();
        MainForm->CreateButtonClick();
        return boxes.Boxes.empty() ? "" : boxes.Last().Text;
    }
    void Go(const Texts& entries, const std::string& folder, bool replace) {
        TMultiHardLinkForm* form = MultiHardLinkForm;
        form->RemoveAllButtonClick();
        form->AddFiles(entries);
        form->DirectoryOutput->SetText(folder);
        form->HLExists->SetChecked(replace);
        boxes.Boxes.clear();
        form->GoButtonClick();
    }
    TempDir dir{"C:\\"};
    MessageLog boxes;
};

}  // namespace

TEST_F(Names, EveryNameIsListedSelectedLinkedAndMadeAFolderOf) {
    const std::string sub = Mixed + " folder", file = Mixed + ".txt", link = "\u0441\u0441\u044B\u043B\u043A\u0430 " + Mixed;
    dir.MakeDir(sub);
    Make(dir / (sub + "\\" + file), "mixed");
    Make(dir / (sub + "\\plain.txt"), "plain");

    MainForm->InputDirList->SetDirectory(dir.Path());
    TDirectoryListBox* folders = MainForm->InputDirList;
    ASSERT_EQ(folders->Items()->Get(folders->Items()->Count() - 1), sub);
    folders->SetItemIndex(folders->Items()->Count() - 1);
    Notify(folders, LBN_DBLCLK);
    EXPECT_EQ(folders->Directory(), dir / sub);
    EXPECT_EQ(MainForm->InputFileList->Items()->ToVector(), (Texts{"plain.txt", file}));
    Select(file);
    EXPECT_EQ(MainForm->OutputFileEditBox->Text(), file);
    EXPECT_EQ(CreateAs(dir.Path(), link), "Hard Link Created");
    EXPECT_EQ(Links(dir / (sub + "\\" + file), dir / link), 2u);

    // A new folder of such a name, in the output folder.
    NewFolderForm->EditDirBox->SetText(Mixed);
    NewFolderForm->OkButtonClick();
    EXPECT_EQ(NamesOnDisk(dir.Path()), (std::vector<std::wstring>{fs::Widen(link), fs::Widen(Mixed), fs::Widen(sub)}));

    // The folder through Add Folder and Go!: every name linked as it is.
    MultiHardLinkForm->RemoveAllButtonClick();
    MultiHardLinkForm->AddFolder(dir / sub);
    Texts entries = MultiHardLinkForm->InputFileList->Items()->ToVector();
    EXPECT_EQ(entries, (Texts{dir / (sub + "\\plain.txt"), dir / (sub + "\\" + file)}));
    Go(entries, dir / Mixed, false);
    EXPECT_TRUE(boxes.Boxes.empty()) << boxes.Last().Text;
    EXPECT_EQ(NamesOnDisk(dir / Mixed), (std::vector<std::wstring>{L"plain.txt", fs::Widen(file)}));
    EXPECT_EQ(Links(dir / (sub + "\\" + file), dir / (Mixed + "\\" + file)), 3u);
}

TEST_F(Names, PathsOf300And1000CharactersAreEnteredListedLinkedAndReplacedIn) {
    for (size_t length : {300u, 1000u}) {
        SCOPED_TRACE(length);
        const std::string deep = DeepFolder(dir / std::to_string(length), length);
        const std::string source = Make(deep + "\\source.txt", "new");

        MainForm->InputDirList->SetDirectory(deep);
        EXPECT_EQ(MainForm->InputDirList->Directory(), deep);
        EXPECT_EQ(MainForm->InputFileList->Items()->ToVector(), Texts{"source.txt"});
        Select("source.txt");
        EXPECT_EQ(CreateAs(deep, "made here.txt"), "Hard Link Created");
        EXPECT_EQ(Links(source, deep + "\\made here.txt"), 2u);

        // The batch window links there, and its replace sets a file aside
        // and deletes it, or puts it back when the link fails; also where
        // the name alone nearly fills what a name may hold.
        const std::string out = deep + "\\out";
        fs::CreateFolder(out);
        for (const std::string& name : {std::string("source.txt"), std::string(250, 'n')}) {
            const std::string entry = name == "source.txt" ? source : Make(deep + "\\" + name, "new");
            Make(out + "\\" + name, "old");
            Go({entry}, out, true);
            EXPECT_TRUE(boxes.Boxes.empty()) << boxes.Last().Text;
            EXPECT_EQ(Links(entry, out + "\\" + name), entry == source ? 3u : 2u);
        }
        EXPECT_EQ(NamesOnDisk(out), (std::vector<std::wstring>{fs::Widen(std::string(250, 'n')), L"source.txt"}));
        const std::string taken = Make(out + "\\gone.txt", "old");
        Go({deep + "\\gone.txt"}, out, true);
        EXPECT_EQ(boxes.Texts(), Texts{ErrorText(ERROR_FILE_NOT_FOUND)});
        EXPECT_EQ(Content(taken), "old");
        EXPECT_EQ(NamesOnDisk(out).size(), 3u);  // nothing left aside
    }
}

TEST_F(Names, TheReplaceRestoresTheSpellingTheDiskHad) {
    // The entry spells the name in other case: the file in the way keeps its own.
    const std::string source = Make(dir / "Report.TXT", "new");
    TempDir out("C:\\");
    Make(out / "rePORT.txt", "old");
    Go({source}, out.Path(), true);
    EXPECT_EQ(Links(source, out / "Report.TXT"), 2u);
    Make(out / "Other.Txt", "old");
    Go({dir / "other.txt"}, out.Path(), true);  // no such source: the link fails
    EXPECT_EQ(boxes.Texts(), Texts{ErrorText(ERROR_FILE_NOT_FOUND)});
    EXPECT_EQ(NamesOnDisk(out.Path()), (std::vector<std::wstring>{L"Other.Txt", L"Report.TXT"}));
}
