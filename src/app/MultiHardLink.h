// The batch window: many hard links into one folder.
#pragma once

#include "controls/FileCtrl.h"
#include "controls/ToolEdit.h"
#include "filedialog/ApOpenDlg.h"
#include "i18n/vgNLS.h"
#include "toolkit/StdCtrls.h"

#include <string>
#include <vector>

// What became of a file replaced by a link.
struct TReplaceResult {
    DWORD Code = 0;      // 0: the link is in place; else the system's error
    std::string Aside;   // where the replaced file still lies: not deleted, or not put back
    std::string OnDisk;  // the name it was not put back under
};
// Puts a hard link to existing in the place of the file at target, never
// losing that file: it is renamed aside, the link made, the aside file
// deleted; when the link fails the file gets its name back. spelledOnDisk:
// target is the name as the folder lists it, so it need not be looked up.
TReplaceResult ReplaceWithLink(const std::string& target, const std::string& existing, bool spelledOnDisk = false);

class TMultiHardLinkForm : public tk::Form {
public:
    explicit TMultiHardLinkForm(tk::Component* owner);
    static const tk::ClassInfo& StaticClass();
    const tk::ClassInfo& Class() const override { return StaticClass(); }

    tk::GroupBox* InputGroupBox;
    tk::ListBox* InputFileList;
    tk::Button* AddButton;
    tk::Button* AddDirButton;
    tk::Button* RemoveButton;
    tk::Button* RemoveAllButton;
    tk::GroupBox* OutputGroupBox;
    tk::Label* DirLabel;
    tk::CheckBox* HLExists;
    tk::CheckBox* SupressErr;
    tk::Button* GoButton;
    tk::Button* CancelButton;
    TFileListBox* FileInputListBox;
    TDirectoryEdit* DirectoryOutput;
    tk::ApplicationEvents* ApplicationEvents;
    TvgTranslator* MultiHardLinkTranslator;
    TApOpenDialog* OpenDialog;

    void AddButtonClick();
    void AddDirButtonClick();
    void RemoveButtonClick();
    void RemoveAllButtonClick();
    void GoButtonClick();
    void CancelButtonClick();
    void ApplicationEventsShowHint(std::string& HintStr, bool& CanShow, tk::HintInfo& HintInfo);

    // The input group's caption with the entry count.
    void UpdateInputCaption();
    // Appends files to the input list, as the dialogs do.
    void AddFiles(const std::vector<std::string>& paths);
    // Appends the files a file list shows for a folder, as full paths.
    void AddFolder(const std::string& folder);

private:
    void ShowCount(size_t count);
};

extern TMultiHardLinkForm* MultiHardLinkForm;
