// The shell's folder browser as a component, and the helpers around it.
#pragma once

#include "toolkit/Controls.h"

#include <shlobj.h>

enum TBrowseKind { bfFolders, bfComputers };
// Scoped: the open dialog has a placement of the same name.
enum class TDialogPosition { dpDefault, dpScreenCenter };

class TBrowseFolderDlg : public tk::Component {
public:
    explicit TBrowseFolderDlg(tk::Component* owner);
    ~TBrowseFolderDlg() override;
    static const tk::ClassInfo& StaticClass();
    const tk::ClassInfo& Class() const override { return StaticClass(); }

    TBrowseKind BrowseKind = bfFolders;
    bool DesktopRoot = true;
    std::string DialogText() const { return dialogText_; }
    void SetDialogText(const std::string& v) { dialogText_ = v; }
    // In: the folder selected at start; out: the chosen one.
    std::string FolderName() const { return folderName_; }
    void SetFolderName(const std::string& v) { folderName_ = v; }
    int HelpContext = 0;
    TDialogPosition Position = TDialogPosition::dpScreenCenter;
    std::function<void()> OnInitialized;
    std::function<void()> OnSelChanged;

    // Shows the dialog modally; true when an item was chosen with OK.
    bool Execute();

    // The open dialog's window; null while it is closed.
    HWND Handle() const { return dialog_; }
    // Path (or computer name) of the item selected in the tree.
    std::string Selection() const { return selection_; }
    std::string DisplayName() const;
    int ImageIndex() const { return imageIndex_; }

private:
    static int CALLBACK BrowseCallback(HWND wnd, UINT msg, LPARAM lp, LPARAM data);
    static LRESULT CALLBACK DialogProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR data);
    void Initialized(HWND wnd);
    void SelChanged(HWND wnd, LPCITEMIDLIST item);
    void AddHelpButton();
    void Unhook();

    std::string dialogText_;
    std::string folderName_;
    HWND dialog_ = nullptr;
    std::wstring displayName_;
    std::string selection_;
    int imageIndex_ = 0;
};

// Lets the user pick a folder, starting at folder; true with the choice in
// folder when one was made.
bool ChooseFolder(std::string& folder, const std::string& text, int helpContext);

bool IsExistingFolder(const std::string& path);
// Drops one trailing backslash, but keeps a drive root such as C:\ whole.
std::string StripTrailingBackslash(const std::string& path);
// Controls of Windows 95 and NT 4 and later: the shell's folder browser is
// there to use.
bool NewStyleControls();
