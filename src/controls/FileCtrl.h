// The linked folder list, file list and filter box. They work through the
// process's current directory: each folder they read becomes current.
#pragma once

#include "toolkit/StdCtrls.h"

class TFileListBox;
class TFilterComboBox;

// While one lives, the folder and file lists that read one folder share a
// single walk of it: for steps that read a folder several times in a row
// (a window made with lists on one folder, a folder list and the file list
// it drives, a drive change that moves two lists). Scopes nest.
class TSharedFolderWalk {
public:
    TSharedFolderWalk();
    ~TSharedFolderWalk();
    TSharedFolderWalk(const TSharedFolderWalk&) = delete;
    TSharedFolderWalk& operator=(const TSharedFolderWalk&) = delete;
};

// Searches of folders (folder listings) that the lists have made so
// far, for tests that count readings.
unsigned long FolderSearches();

class TDirectoryListBox : public tk::ListBox {
public:
    explicit TDirectoryListBox(tk::Component* owner);
    static const tk::ClassInfo& StaticClass();
    const tk::ClassInfo& Class() const override { return StaticClass(); }

    std::string Directory() const { return directory_; }
    void SetDirectory(const std::string& path);
    char Drive() const { return directory_.empty() ? 0 : directory_[0]; }
    void SetDrive(char letter);
    TFileListBox* FileList() const { return fileList_; }
    void SetFileList(TFileListBox* list);
    tk::Label* DirLabel() const { return dirLabel_; }
    void SetDirLabel(tk::Label* label);
    std::function<void()> OnChange;

    // Builds the items again from the unchanged folder, then the change steps.
    void Update();
    // Moves to the selected item's folder (double-click or Enter).
    void OpenCurrent();
    std::string GetItemPath(int index) const;

protected:
    void InitWnd() override;
    void DrawItem(int index, RECT rect, UINT state, HDC dc) override;
    bool Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void Notification(tk::Component* c, tk::Operation op) override;

private:
    void BuildList();
    // Builds the items, and has the file list read the same walk.
    void ReadWithFileList();
    void Change();
    void ShowInLabel();
    std::string DrivePart() const;

    std::string directory_;
    int currentIndex_ = 0;
    TFileListBox* fileList_ = nullptr;
    tk::Label* dirLabel_ = nullptr;
    tk::BitmapHandle openPic_, currentPic_, closedPic_;
    bool preserveCase_ = true, caseSensitive_ = false;
};

enum TFileAttr { ftReadOnly, ftHidden, ftSystem, ftVolumeID, ftDirectory, ftArchive, ftNormal };

// A set of TFileAttr.
class TFileType {
public:
    TFileType(std::initializer_list<TFileAttr> list) {
        for (TFileAttr a : list) bits_ |= 1u << a;
    }
    bool Has(TFileAttr a) const { return bits_ & (1u << a); }
    bool operator==(const TFileType&) const = default;

private:
    unsigned bits_ = 0;
};

class TFileListBox : public tk::ListBox {
public:
    explicit TFileListBox(tk::Component* owner);
    static const tk::ClassInfo& StaticClass();
    const tk::ClassInfo& Class() const override { return StaticClass(); }

    std::string Directory() const { return directory_; }
    void SetDirectory(const std::string& path);
    std::string Mask() const { return mask_; }
    void SetMask(const std::string& mask);
    TFileType FileType() const { return fileType_; }
    void SetFileType(TFileType v);
    tk::Edit* FileEdit() const { return fileEdit_; }
    void SetFileEdit(tk::Edit* edit);
    bool ShowGlyphs = false;
    // Full path of the selected file, empty when none is selected.
    std::string FileName();
    // Selects a file of the list by its path (the list moves to its folder
    // when the path has one); nothing is selected when it is not listed.
    void SetFileName(const std::string& path);
    std::function<void()> OnChange;

    // Reads the names of the folder again.
    void Update();
    // An invisible list reads its folder when it is shown, pointed at a
    // folder or told to read again, not when its window is made: nobody sees
    // its names before.
    void SetVisible(bool v) override;

protected:
    void InitWnd() override;
    void DoClick() override;
    void DrawItem(int index, RECT rect, UINT state, HDC dc) override;
    void Notification(tk::Component* c, tk::Operation op) override;

private:
    friend class TDirectoryListBox;
    friend class TFilterComboBox;
    void ReadFileNames();
    void Change();

    std::string directory_;
    std::string mask_ = "*.*";
    TFileType fileType_{ftNormal};
    tk::Edit* fileEdit_ = nullptr;
    int lastSel_ = -1;
    bool unread_ = false;  // the window was made without reading the folder
    TDirectoryListBox* dirList_ = nullptr;
    TFilterComboBox* filterCombo_ = nullptr;
    tk::BitmapHandle exePic_, dirPic_, filePic_;
};

class TFilterComboBox : public tk::ComboBox {
public:
    explicit TFilterComboBox(tk::Component* owner);
    static const tk::ClassInfo& StaticClass();
    const tk::ClassInfo& Class() const override { return StaticClass(); }

    std::string Filter() const { return filter_; }
    void SetFilter(const std::string& v);
    TFileListBox* FileList() const { return fileList_; }
    void SetFileList(TFileListBox* list);
    // The mask of the current item.
    std::string Mask();

protected:
    void InitWnd() override;
    void Select() override;
    void Notification(tk::Component* c, tk::Operation op) override;

private:
    void BuildList();
    void Change() override;
    std::string filter_;
    std::vector<std::string> masks_;
    TFileListBox* fileList_ = nullptr;
};

// A drop-down list of the machine's drive letters that moves a folder list.
class TDriveComboBox : public tk::ComboBox {
public:
    explicit TDriveComboBox(tk::Component* owner);
    static const tk::ClassInfo& StaticClass();
    const tk::ClassInfo& Class() const override { return StaticClass(); }

    char Drive() const { return drive_; }
    void SetDrive(char letter);
    TDirectoryListBox* DirList() const { return dirList_; }
    void SetDirList(TDirectoryListBox* list);
    // Reads the drive letters again (after a network connection was made).
    void BuildList();

protected:
    void InitWnd() override;
    void Select() override;
    void Notification(tk::Component* c, tk::Operation op) override;

private:
    char drive_ = 0;
    TDirectoryListBox* dirList_ = nullptr;
};

enum TSelectDirOpt { sdAllowCreate, sdPerformCreate, sdPrompt };

class TSelectDirOpts {
public:
    TSelectDirOpts(std::initializer_list<TSelectDirOpt> list = {}) {
        for (TSelectDirOpt o : list) bits_ |= 1u << o;
    }
    bool Has(TSelectDirOpt o) const { return bits_ & (1u << o); }

private:
    unsigned bits_ = 0;
};

// The toolkit's folder selection window, built from the folder, file and
// drive lists.
class TSelectDirDlg : public tk::Form {
public:
    TSelectDirDlg(tk::Component* owner, TSelectDirOpts options, int helpContext);
    static const tk::ClassInfo& StaticClass();
    const tk::ClassInfo& Class() const override { return StaticClass(); }

    tk::Label* DirNameLabel;
    tk::Label* DirLabel;  // the path, when the user may not type one
    tk::Edit* DirEdit;    // the path, with sdAllowCreate
    tk::Label* DirListLabel;
    TDirectoryListBox* DirList;
    tk::Label* FileListLabel;
    TFileListBox* FileList;
    tk::Label* DriveLabel;
    TDriveComboBox* DriveList;
    tk::Button* OKButton;
    tk::Button* CancelButton;
    tk::Button* HelpButton;
    tk::Button* NetButton;

    // The path the window shows.
    std::string Directory() const;
    void SetDirectory(const std::string& path);

    void OKButtonClick();
    void NetButtonClick();
    void DirListChange();

private:
    TSelectDirOpts options_;
};

// Shows the folder selection window on Directory; true with the chosen path
// in Directory when it was closed with OK.
bool SelectDirectory(std::string& Directory, TSelectDirOpts Options, int HelpCtx);

// A path shortened with "..." in place of its leading folders so that it
// fits a width in pixels with a font.
std::string MinimizeName(const std::string& path, HFONT font, int maxWidth);

// Makes a folder the process's current directory, as the lists do; raises
// the input/output error with the system's code when it cannot.
void EnterFolder(const std::string& path);
std::string CurrentFolder();
