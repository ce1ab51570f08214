// The batch window: many hard links into one folder.
#pragma once

#include "controls/FileCtrl.h"
#include "controls/ToolEdit.h"
#include "filedialog/ApOpenDlg.h"
#include "i18n/vgNLS.h"
#include "toolkit/StdCtrls.h"

#include <string>
#include <vector>

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
