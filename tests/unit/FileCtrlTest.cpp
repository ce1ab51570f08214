// The folder list, file list and filter box on real folders.
#include "controls/FileCtrl.h"
#include "support/GuiFixture.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace testsupport;
using Lines = std::vector<std::string>;

namespace {

class FolderLists : public testing::Test {
protected:
    void SetUp() override {
        dirs->SetFileList(files);
        files->SetFileEdit(edit);
        filter->SetFileList(files);
        host.Handle();
    }
    void TearDown() override { SetCurrentDirectoryA("C:\\"); }  // lets the temporary folder go
    // Selects a line as a click does; LBN_DBLCLK opens a folder line.
    void Click(tk::ListBox* list, const std::string& line, WORD code = LBN_SELCHANGE) {
        list->SetItemIndex(list->Items()->IndexOf(line));
        Notify(list, code);
    }

    TempDir dir;
    tk::Form host{nullptr};
    TDirectoryListBox* dirs = tk::Make<TDirectoryListBox>(&host, &host, "Dirs", {8, 8, 190, 200}, "", 0);
    TFileListBox* files = tk::Make<TFileListBox>(&host, &host, "Files", {200, 8, 190, 200}, "", 1);
    tk::Edit* edit = tk::Make<tk::Edit>(&host, &host, "Name", {8, 210, 190, 21}, "", 2);
    TFilterComboBox* filter = tk::Make<TFilterComboBox>(&host, &host, "Filter", {200, 210, 190, 21}, "", 3);
};

}  // namespace

TEST_F(FolderLists, AFolderShowsItsAncestorsItselfAndItsVisibleSubfoldersSorted) {
    for (const char* d : {"A", "A\\B", "A\\B\\c3", "A\\B\\A1", "A\\B\\b2", "A\\B\\hid"}) dir.MakeDir(d);
    SetFileAttributesA((dir / "A\\B\\hid").c_str(), FILE_ATTRIBUTE_HIDDEN);
    dir.MakeFile("A\\file.txt");
    const std::pair<std::string, Lines> cases[] = {{dir / "A", {"B"}}, {dir / "A\\B", {"A1", "b2", "c3"}}};
    for (const auto& [path, subfolders] : cases) {
        dirs->SetDirectory(path);
        Lines expected{path.substr(0, 3)};  // the drive root, then one line per folder down to this one
        std::istringstream parts(path.substr(3));
        for (std::string part; std::getline(parts, part, '\\');) expected.push_back(part);
        int current = static_cast<int>(expected.size()) - 1;
        expected.insert(expected.end(), subfolders.begin(), subfolders.end());
        EXPECT_EQ(dirs->Items()->ToVector(), expected);
        EXPECT_EQ(dirs->ItemIndex(), current);
        EXPECT_EQ(files->Directory(), path);  // the linked file list follows
    }
}

TEST_F(FolderLists, OpeningLinesWalksDownAndUpToTheDriveRootAndAFolderThatCannotBeEnteredKeepsTheList) {
    std::string a = dir.MakeDir("A"), inner = dir.MakeDir("A\\Inner"), gone = dir.MakeDir("Gone");
    dirs->SetDirectory(dir.Path());
    Lines before = dirs->Items()->ToVector();
    EXPECT_THROW(dirs->SetDirectory(dir / std::string(300, 'x')), tk::EInOutError);  // beyond the system's limit
    // A subfolder removed while shown: opening it reports in the standard box.
    MessageLog boxes;
    RemoveDirectoryA(gone.c_str());
    Click(dirs, "Gone", LBN_DBLCLK);
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_TRUE(boxes.Last().StandardErrorBox);
    EXPECT_TRUE(boxes.Last().Text == "File not found." || boxes.Last().Text == "Invalid filename.") << boxes.Last().Text;
    EXPECT_EQ(dirs->Items()->ToVector(), before);
    EXPECT_EQ(dirs->Directory(), dir.Path());

    int changes = 0;
    dirs->OnChange = [&] { ++changes; };
    Click(dirs, "A", LBN_DBLCLK);
    Click(dirs, "Inner", LBN_DBLCLK);
    EXPECT_EQ(dirs->Directory(), inner);
    Click(dirs, "A", LBN_DBLCLK);  // the parent line
    EXPECT_EQ(dirs->Directory(), a);
    Click(dirs, "Inner");  // a single click only selects
    EXPECT_EQ(dirs->Directory(), a);
    EXPECT_EQ(changes, 3);

    // A drive returns to its last folder. Z: is Wine's view of the Unix root.
    ASSERT_NE(toupper(a[0]), 'Z');
    dirs->SetDrive('z');
    dirs->SetDrive(a[0]);
    EXPECT_EQ(dirs->Directory(), a);

    // At the root the file list's full names have one backslash.
    std::string root = a.substr(0, 3), probe = WriteFile(root + "qm_root_probe.txt", "");
    Click(dirs, root, LBN_DBLCLK);
    EXPECT_EQ(dirs->Directory(), root);
    EXPECT_EQ(dirs->ItemIndex(), 0);
    Click(files, "qm_root_probe.txt");
    EXPECT_EQ(files->FileName(), probe);
    DeleteFileA(probe.c_str());
}

TEST_F(FolderLists, FileListShowsTheFilesOfEveryMaskSortedAndFillsTheEdit) {
    for (const char* f : {"b.txt", "A.log", "c.TXT", "d.dat", "h.txt"}) dir.MakeFile(f);
    SetFileAttributesA((dir / "h.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesA((dir / "d.dat").c_str(), FILE_ATTRIBUTE_READONLY);
    dir.MakeDir("sub.txt");
    dirs->SetDirectory(dir.Path());
    EXPECT_EQ(files->Items()->ToVector(), (Lines{"A.log", "b.txt", "c.TXT", "d.dat"}));

    files->SetMask("*.txt;*.log");
    EXPECT_EQ(files->Items()->ToVector(), (Lines{"A.log", "b.txt", "c.TXT"}));
    EXPECT_EQ(edit->Text(), "*.txt;*.log");
    EXPECT_EQ(files->FileName(), "");
    Click(files, "b.txt");
    EXPECT_EQ(edit->Text(), "b.txt");
    EXPECT_EQ(files->FileName(), dir / "b.txt");

    // Folders and hidden files appear only when asked for.
    files->SetFileType({ftNormal, ftDirectory, ftHidden});
    EXPECT_GE(files->Items()->IndexOf("[sub.txt]"), 0);
    EXPECT_GE(files->Items()->IndexOf("h.txt"), 0);
    files->SetFileType({ftReadOnly});
    files->SetMask("*.*");
    EXPECT_EQ(files->Items()->ToVector(), Lines{"d.dat"});
}

TEST_F(FolderLists, FilterPairsDriveTheFileListMask) {
    dir.MakeFile("a.txt");
    dir.MakeFile("b.doc");
    dirs->SetDirectory(dir.Path());
    filter->SetFilter("Text files|*.txt|All|*.*");
    EXPECT_EQ(filter->Items()->ToVector(), (Lines{"Text files", "All"}));
    EXPECT_EQ(files->Items()->ToVector(), Lines{"a.txt"});
    EXPECT_EQ(edit->Text(), "*.txt");
    filter->SetItemIndex(1);
    Notify(filter, CBN_SELCHANGE);
    EXPECT_EQ(files->Mask(), "*.*");
    filter->SetFilter("no bar");  // an empty box, whose mask is "*.*"
    EXPECT_EQ(filter->Items()->Count(), 0);
    EXPECT_EQ(filter->Mask(), "*.*");
}
