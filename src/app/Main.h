// The main window: one hard link at a time.
#pragma once

#include "controls/FileCtrl.h"
#include "i18n/vgNLS.h"
#include "toolkit/StdCtrls.h"
#include "volumes/emiDriveCombo.h"

class TMainForm : public tk::Form {
public:
    explicit TMainForm(tk::Component* owner);
    static const tk::ClassInfo& StaticClass();
    const tk::ClassInfo& Class() const override { return StaticClass(); }

    tk::Label* Label1;
    tk::GroupBox* OutputGroupBox;
    tk::Label* CreateHardLinkLabel;
    TDirectoryListBox* OutputDirListBox;
    tk::Button* CreateButton;
    tk::GroupBox* InputGroupBox;
    TDirectoryListBox* InputDirList;
    TFileListBox* InputFileList;
    tk::Edit* OutputFileEditBox;
    tk::Button* ExitButton;
    tk::Button* NewFolderButon;
    tk::Button* AboutButton;
    tk::Button* HelpButton;
    tk::Button* MultiHardLinkButton;
    tk::Button* DuplicatesButton;
    TEmiDriveComboBox* DriveCombo;
    tk::Button* OptionsButton;
    tk::Button* LinksButton;
    TFilterComboBox* FilterBox;
    tk::ApplicationEvents* ApplicationEvents;
    TvgTranslator* MainTranslator;

    void FormCreate();
    void DriveComboChange();
    void CreateButtonClick();
    void NewFolderButonClick();
    void MultiHardLinkButtonClick();
    void DuplicatesButtonClick();
    void OptionsButtonClick();
    void HelpButtonClick();
    void AboutButtonClick();
    void LinksButtonClick();
    void ExitButtonClick();
    void ApplicationEventsShowHint(std::string& HintStr, bool& CanShow, tk::HintInfo& HintInfo);

    // Shows an existing file as if the user had walked to it: its volume,
    // its folder and the file selected, its name in the link-name field.
    void SelectExistingFile(const std::string& path);

protected:
    void CreateWnd() override;
};

extern TMainForm* MainForm;

// Ends start-up when the machine cannot run the program: not an NT system,
// or no usable volume. Shows the reason and ends the program.
void RefuseToRun(const std::string& reason);
