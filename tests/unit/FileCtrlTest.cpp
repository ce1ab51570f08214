// The folder list, file list and filter box on real folders.
#include "controls/FileCtrl.h"
#include "support/GuiFixture.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

class FolderLists : public testing::Test {
protected:
    void SetUp() override {
        host = new tk::Form(nullptr);
        host->SetClientSize(400, 300);
        dirs = tk::Make<TDirectoryListBox>(host, host, "Dirs", {8, 8, 190, 200}, "", 0);
        files = tk::Make<TFileListBox>(host, host, "Files", {200, 8, 190, 200}, "", 1);
        edit = tk::Make<tk::Edit>(host, host, "Name", {8, 210, 190, 21}, "", 2);
        filter = tk::Make<TFilterComboBox>(host, host, "Filter", {200, 210, 190, 21}, "", 3);
        dirs->SetFileList(files);
        files->SetFileEdit(edit);
        filter->SetFileList(files);
        host->Handle();
    }
    void TearDown() override {
        delete host;
        SetCurrentDirectoryA("C:\\");
    }
    std::vector<std::string> Lines(tk::ListBox* l) { return l->Items()->ToVector(); }
    // Opens a line as a double-click does.
    void Open(int line) {
        dirs->SetItemIndex(line);
        SendMessageA(host->Handle(), WM_COMMAND, MAKEWPARAM(dirs->Id(), LBN_DBLCLK), reinterpret_cast<LPARAM>(dirs->Handle()));
    }
    void Pick(tk::ListBox* l, int i) {
        l->SetItemIndex(i);
        SendMessageA(host->Handle(), WM_COMMAND, MAKEWPARAM(l->Id(), LBN_SELCHANGE), reinterpret_cast<LPARAM>(l->Handle()));
    }
    void Choose(int i) {
        filter->SetItemIndex(i);
        SendMessageA(host->Handle(), WM_COMMAND, MAKEWPARAM(filter->Id(), CBN_SELCHANGE), reinterpret_cast<LPARAM>(filter->Handle()));
    }
    // The folder's path parts after the drive: "C:\a\b" gives {"a", "b"}.
    static std::vector<std::string> PartsOf(const std::string& path) {
        std::vector<std::string> parts;
        size_t p = 3;
        while (p < path.size()) {
            size_t q = path.find('\\', p);
            if (q == std::string::npos) q = path.size();
            parts.push_back(path.substr(p, q - p));
            p = q + 1;
        }
        return parts;
    }

    TempDir dir;
    tk::Form* host = nullptr;
    TDirectoryListBox* dirs = nullptr;
    TFileListBox* files = nullptr;
    tk::Edit* edit = nullptr;
    TFilterComboBox* filter = nullptr;
};

}  // namespace

TEST_F(FolderLists, ADeepFolderShowsItsAncestorsItselfAndItsSubfoldersSorted) {
    std::string b = dir.MakeDir("A") + "\\B";
    CreateDirectoryA(b.c_str(), nullptr);
    for (const char* sub : {"c3", "A1", "b2"}) CreateDirectoryA((b + "\\" + sub).c_str(), nullptr);
    std::string hidden = b + "\\hid";
    CreateDirectoryA(hidden.c_str(), nullptr);
    SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
    dirs->SetDirectory(b);

    std::vector<std::string> expected{b.substr(0, 3)};
    for (auto& p : PartsOf(b)) expected.push_back(p);
    size_t current = expected.size() - 1;
    for (const char* s : {"A1", "b2", "c3"}) expected.push_back(s);
    EXPECT_EQ(Lines(dirs), expected);
    EXPECT_EQ(dirs->ItemIndex(), static_cast<int>(current));
    EXPECT_TRUE(tk::SameText(CurrentFolder(), b));
    EXPECT_EQ(dirs->GetItemPath(static_cast<int>(current) - 1), dir / "A");
    EXPECT_EQ(dirs->GetItemPath(static_cast<int>(current) + 2), b + "\\b2");
    // The linked file list follows.
    EXPECT_EQ(files->Directory(), dirs->Directory());
}

TEST_F(FolderLists, OpeningLinesWalksDownAndUp) {
    std::string a = dir.MakeDir("A");
    CreateDirectoryA((a + "\\Inner").c_str(), nullptr);
    dirs->SetDirectory(dir.Path());
    int changes = 0;
    dirs->OnChange = [&] { ++changes; };

    Open(dirs->Items()->IndexOf("A"));
    EXPECT_EQ(dirs->Directory(), a);
    Open(dirs->Items()->IndexOf("Inner"));
    EXPECT_EQ(dirs->Directory(), a + "\\Inner");
    Open(dirs->Items()->IndexOf("Inner") - 1);  // the parent line
    EXPECT_EQ(dirs->Directory(), a);
    EXPECT_EQ(changes, 3);

    Open(0);  // the drive root
    std::string root = a.substr(0, 3);
    EXPECT_EQ(dirs->Directory(), root);
    EXPECT_EQ(dirs->ItemIndex(), 0);
    EXPECT_EQ(dirs->Items()->Get(0), root);
    EXPECT_EQ(files->Directory(), root);

    // Single clicks only select.
    Pick(dirs, 1);
    EXPECT_EQ(dirs->Directory(), root);
}

TEST_F(FolderLists, DriveReturnsToTheFolderLastCurrentOnThatDrive) {
    std::string a = dir.MakeDir("A");
    dirs->SetDirectory(a);
    char letter = a[0];
    int changes = 0;
    dirs->OnChange = [&] { ++changes; };
    dirs->SetDrive(static_cast<char>(tolower(letter)));  // the same drive: nothing
    EXPECT_EQ(changes, 0);

    // Z: is Wine's view of the Unix root; another drive than the temp folder's.
    ASSERT_NE(toupper(letter), 'Z');
    dirs->SetDrive('z');
    EXPECT_EQ(toupper(dirs->Drive()), 'Z');
    dirs->SetDrive(letter);
    EXPECT_EQ(dirs->Directory(), a);
    EXPECT_EQ(changes, 2);
}

TEST_F(FolderLists, AFolderThatCannotBeEnteredRaisesAndKeepsTheList) {
    dir.MakeDir("A");
    dirs->SetDirectory(dir.Path());
    auto before = Lines(dirs);
    try {
        dirs->SetDirectory(dir / "missing");
        FAIL() << "no error";
    } catch (const tk::EInOutError& e) {
        EXPECT_STREQ(e.what(), tk::EInOutError::TextFor(e.ErrorCode).c_str());
        EXPECT_TRUE(e.ErrorCode == 2 || e.ErrorCode == 3) << e.ErrorCode;
    }
    EXPECT_EQ(Lines(dirs), before);
    EXPECT_EQ(dirs->Directory(), dir.Path());

    // A path beyond the system's limit is refused the same way.
    EXPECT_THROW(dirs->SetDirectory(dir.Path() + "\\" + std::string(300, 'x')), tk::EInOutError);
    EXPECT_EQ(Lines(dirs), before);

    // A subfolder removed while shown: opening it reports in the standard box.
    MessageLog boxes;
    RemoveDirectoryA((dir / "A").c_str());
    Open(dirs->Items()->IndexOf("A"));
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_TRUE(boxes.Last().StandardErrorBox);
    EXPECT_TRUE(boxes.Last().Text == "File not found." || boxes.Last().Text == "Invalid filename.") << boxes.Last().Text;
    EXPECT_EQ(Lines(dirs), before);
}

TEST_F(FolderLists, FileListShowsPlainFilesOfEveryMaskSortedAndFillsTheEdit) {
    for (const char* f : {"b.txt", "A.log", "c.TXT", "d.dat", "run.exe"}) dir.MakeFile(f);
    std::string hidden = dir.MakeFile("h.txt");
    SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesA((dir / "d.dat").c_str(), FILE_ATTRIBUTE_READONLY);
    dir.MakeDir("sub.txt");
    dirs->SetDirectory(dir.Path());

    EXPECT_EQ(Lines(files), (std::vector<std::string>{"A.log", "b.txt", "c.TXT", "d.dat", "run.exe"}));
    EXPECT_EQ(edit->Text(), "*.*");

    files->SetMask("*.txt;*.log");
    EXPECT_EQ(Lines(files), (std::vector<std::string>{"A.log", "b.txt", "c.TXT"}));
    EXPECT_EQ(edit->Text(), "*.txt;*.log");
    EXPECT_EQ(files->FileName(), "");

    Pick(files, 1);
    EXPECT_EQ(edit->Text(), "b.txt");
    EXPECT_EQ(files->FileName(), dir / "b.txt");
    DWORD selStart = 0, selEnd = 0;
    SendMessageA(edit->Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&selStart), reinterpret_cast<LPARAM>(&selEnd));
    EXPECT_EQ(selEnd - selStart, 5u);

    // Folders and hidden files appear only when asked for.
    files->SetFileType({ftNormal, ftDirectory, ftHidden});
    EXPECT_GE(files->Items()->IndexOf("[sub.txt]"), 0);
    EXPECT_GE(files->Items()->IndexOf("h.txt"), 0);
    files->SetFileType({ftReadOnly});
    files->SetMask("*.*");
    EXPECT_EQ(Lines(files), (std::vector<std::string>{"d.dat"}));
}

TEST_F(FolderLists, FileNameAfterADriveRootHasOneBackslash) {
    std::string root = dir.Path().substr(0, 3);
    std::string name = "qm_root_probe.txt";
    std::string path = root + name;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    dirs->SetDirectory(dir.Path());
    dirs->SetDirectory(root);
    int i = files->Items()->IndexOf(name);
    ASSERT_GE(i, 0) << files->Directory() << " " << testing::PrintToString(Lines(files));
    Pick(files, i);
    EXPECT_EQ(files->FileName(), path);
    DeleteFileA(path.c_str());
}

TEST_F(FolderLists, FilterPairsDriveTheFileListMask) {
    dir.MakeFile("a.txt");
    dir.MakeFile("b.doc");
    dirs->SetDirectory(dir.Path());
    filter->SetFilter("Text files|*.txt|All|*.*");
    EXPECT_EQ(filter->Items()->ToVector(), (std::vector<std::string>{"Text files", "All"}));
    Choose(1);
    EXPECT_EQ(files->Mask(), "*.*");
    Choose(0);
    EXPECT_EQ(files->Mask(), "*.txt");
    EXPECT_EQ(Lines(files), (std::vector<std::string>{"a.txt"}));
    EXPECT_EQ(edit->Text(), "*.txt");

    // A trailing description without a mask is dropped; no bar at all gives
    // an empty box whose mask is "*.*".
    filter->SetFilter("Docs|*.doc|Orphan");
    EXPECT_EQ(filter->Items()->ToVector(), (std::vector<std::string>{"Docs"}));
    EXPECT_EQ(files->Mask(), "*.doc");
    filter->SetFilter("nothing here");
    EXPECT_EQ(filter->Items()->Count(), 0);
    EXPECT_EQ(filter->Mask(), "*.*");
    EXPECT_EQ(Lines(files), (std::vector<std::string>{"a.txt", "b.doc"}));
}

TEST_F(FolderLists, DirLabelShowsTheFolderShortenedToItsWidth) {
    std::string deep = dir.MakeDir("a_rather_long_folder_name") + "\\another_long_folder_name";
    CreateDirectoryA(deep.c_str(), nullptr);
    auto* label = tk::Make<tk::Label>(host, host, "Path", {8, 240, 120, 13});
    label->AutoSize = false;
    label->SetBounds(8, 240, 120, 13);
    dirs->SetDirLabel(label);
    ASSERT_TRUE(DirExists(deep)) << deep;
    dirs->SetDirectory(deep);
    std::string shown = label->Caption();
    EXPECT_NE(shown, deep);
    EXPECT_NE(shown.find("..."), std::string::npos) << shown;
    ASSERT_GE(shown.size(), 11u);
    EXPECT_EQ(shown.substr(shown.size() - 11), "folder_name");
}
