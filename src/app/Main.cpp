#include "app/Main.h"

#include "about/AboutUnit.h"
#include "app/CreateNewFolder.h"
#include "app/Duplicates.h"
#include "app/Errors.h"
#include "app/HardLinks.h"
#include "app/LinkLib.h"
#include "app/MultiHardLink.h"
#include "settings/OptionsUnit.h"
#include "toolkit/Dialogs.h"

#include <shellapi.h>

TMainForm* MainForm = nullptr;

using tk::Make;

const tk::ClassInfo& TMainForm::StaticClass() {
    static const tk::ClassInfo info{"TMainForm", &tk::Form::StaticClass(), {}, {}};
    return info;
}

TMainForm::TMainForm(tk::Component* owner) : tk::Form(owner) {
    Describe({"MainForm", "Quenmoor", 560, 353, tk::BorderStyle::Single, tk::biSystemMenu | tk::biMinimize, tk::FormPosition::DesktopCenter});

    Label1 = Make<tk::Label>(this, this, "Label1", {16, 10, 69, 13}, "Volume Name:");
    OutputGroupBox = Make<tk::GroupBox>(this, this, "OutputGroupBox", {240, 32, 225, 313}, " New Hard Link ", 4);
    CreateHardLinkLabel = Make<tk::Label>(this, OutputGroupBox, "CreateHardLinkLabel", {8, 232, 108, 13}, "Enter Hard Link Name:");
    OutputDirListBox = Make<TDirectoryListBox>(this, OutputGroupBox, "OutputDirListBox", {8, 16, 209, 209}, "", 0);
    CreateButton = Make<tk::Button>(this, OutputGroupBox, "CreateButton", {64, 280, 89, 25}, "Create", 1);
    InputGroupBox = Make<tk::GroupBox>(this, this, "InputGroupBox", {16, 32, 209, 313}, " Existing File ", 3);
    InputDirList = Make<TDirectoryListBox>(this, this, "InputDirList", {24, 48, 193, 113}, "", 1);
    InputFileList = Make<TFileListBox>(this, this, "InputFileList", {24, 168, 193, 145}, "", 2);
    OutputFileEditBox = Make<tk::Edit>(this, this, "OutputFileEditBox", {248, 280, 209, 21}, "*.*", 5);
    ExitButton = Make<tk::Button>(this, this, "ExitButton", {472, 312, 81, 25}, "Exit", 12);
    NewFolderButon = Make<tk::Button>(this, this, "NewFolderButon", {472, 40, 81, 25}, "New Folder", 6);
    AboutButton = Make<tk::Button>(this, this, "AboutButton", {472, 200, 81, 25}, "About", 10);
    HelpButton = Make<tk::Button>(this, this, "HelpButton", {472, 168, 81, 25}, "Help", 9);
    MultiHardLinkButton = Make<tk::Button>(this, this, "MultiHardLinkButton", {472, 72, 81, 25}, "Multi Hard Link", 7);
    DuplicatesButton = Make<tk::Button>(this, this, "DuplicatesButton", {472, 104, 81, 25}, "Duplicates", 8);
    DriveCombo = Make<TEmiDriveComboBox>(this, this, "DriveCombo", {96, 8, 121, 22}, "", 0);
    OptionsButton = Make<tk::Button>(this, this, "OptionsButton", {472, 136, 81, 25}, "Options", 13);
    FilterBox = Make<TFilterComboBox>(this, this, "FilterBox", {24, 318, 193, 21}, "", 14);
    LinksButton = Make<tk::Button>(this, this, "LinksButton", {472, 232, 81, 25}, "Links", 11);
    ApplicationEvents = tk::MakeComponent<tk::ApplicationEvents>(this, "ApplicationEvents");
    MainTranslator = tk::MakeComponent<TvgTranslator>(this, "MainTranslator");

    OutputDirListBox->SetItemHeight(16);
    OutputDirListBox->ShowHint = true;
    CreateButton->OnClick = [this] { CreateButtonClick(); };
    InputDirList->SetFileList(InputFileList);
    InputDirList->SetItemHeight(16);
    InputDirList->ShowHint = true;
    InputFileList->SetFileEdit(OutputFileEditBox);
    InputFileList->SetItemHeight(13);
    InputFileList->ShowHint = true;
    ExitButton->OnClick = [this] { ExitButtonClick(); };
    NewFolderButon->OnClick = [this] { NewFolderButonClick(); };
    AboutButton->OnClick = [this] { AboutButtonClick(); };
    HelpButton->OnClick = [this] { HelpButtonClick(); };
    MultiHardLinkButton->OnClick = [this] { MultiHardLinkButtonClick(); };
    DuplicatesButton->OnClick = [this] { DuplicatesButtonClick(); };
    DriveCombo->SetOptions({doNoFloppy, doNoCDROM, doNoRAM, doNoFree, doNoTape, doNoABDrives, doNoFAT});
    DriveCombo->OnChange = [this] { DriveComboChange(); };
    OptionsButton->OnClick = [this] { OptionsButtonClick(); };
    LinksButton->OnClick = [this] { LinksButtonClick(); };
    FilterBox->SetFileList(InputFileList);
    ApplicationEvents->OnShowHint = [this](std::string& s, bool& can, tk::HintInfo& info) {
        ApplicationEventsShowHint(s, can, info);
    };
    OnCreate = [this] { FormCreate(); };
}

void TMainForm::CreateWnd() {
    // All three lists start in the same folder: one walk of it serves them.
    TSharedFolderWalk shared;
    tk::Form::CreateWnd();
}

void RefuseToRun(const std::string& reason) {
    tk::MessageDlg(reason, tk::MsgDlgType::Error, {tk::mbOK});
    throw tk::EHalt{0};
}

void TMainForm::FormCreate() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;  // 148 bytes
    if (!GetVersionExA(&version) || version.dwPlatformId != VER_PLATFORM_WIN32_NT)
        RefuseToRun("This application works under Windows NT/2000/XP or further only");
    if (DriveCombo->Count() == 0) RefuseToRun("There is no NTFS partitions on this machine");
    InputFileList->SetMask(FilterBox->Mask());
}

void TMainForm::DriveComboChange() {
    // Both lists move to the folder the drive last had current.
    TSharedFolderWalk shared;
    InputDirList->SetDrive(DriveCombo->Drive());
    OutputDirListBox->SetDrive(DriveCombo->Drive());
}

void TMainForm::CreateButtonClick() {
    std::string existing = InputFileList->FileName();
    std::string target = OutputDirListBox->Directory() + "\\" + OutputFileEditBox->Text();
    DWORD reserved = 0;
    std::string text;
    if (LinkCreated(CreateLink(target.c_str(), existing.c_str(), &reserved))) {
        text = MainTranslator->TranslateText("Hard Link Created");
    } else {
        int code = static_cast<int>(GetLastError());
        text = MainTranslator->TranslateText(ErrorText(code));
    }
    tk::MessageDlg(text, tk::MsgDlgType::Information, {tk::mbOK});
}

void TMainForm::NewFolderButonClick() { NewFolderForm->ShowModal(); }

void TMainForm::MultiHardLinkButtonClick() {
    MultiHardLinkForm->InputFileList->Items()->Clear();
    MultiHardLinkForm->UpdateInputCaption();
    MultiHardLinkForm->ShowModal();
}

void TMainForm::DuplicatesButtonClick() { DuplicatesForm->ShowModal(); }

void TMainForm::OptionsButtonClick() { OptionsForm->ShowModal(); }

void TMainForm::HelpButtonClick() {
    std::string readme = tk::ModuleFolder() + "readme.txt";
    // Whatever an earlier call left must not pass for the shell's error.
    SetLastError(0);
    auto result = reinterpret_cast<INT_PTR>(ShellExecuteA(Handle(), nullptr, readme.c_str(), nullptr, nullptr, SW_RESTORE));
    if (result <= 32) {
        int code = ShellExecuteErrorCode(result, static_cast<int>(GetLastError()));
        tk::MessageDlg(MainTranslator->TranslateText(ErrorText(code)), tk::MsgDlgType::Error, {tk::mbOK});
    }
}

void TMainForm::AboutButtonClick() { AboutForm->ShowModal(); }

void TMainForm::LinksButtonClick() {
    std::string file = InputFileList->FileName();
    if (file.empty()) {
        tk::MessageDlg(MainTranslator->TranslateText("Select a file in the list first"), tk::MsgDlgType::Information, {tk::mbOK});
        return;
    }
    HardLinksForm->ShowNames(file);
}

void TMainForm::ExitButtonClick() { tk::App->Terminate(); }

void TMainForm::SelectExistingFile(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':') DriveCombo->SetDrive(path[0]);
    InputDirList->SetDirectory(tk::ExtractFilePath(path));
    InputFileList->SetFileName(path);
}

void TMainForm::ApplicationEventsShowHint(std::string& HintStr, bool& CanShow, tk::HintInfo& HintInfo) {
    HintInfo.HideTimeout = 99999;
    if (HintInfo.HintControl == InputFileList) {
        HintStr = InputFileList->FileName();
        ApplicationEvents->CancelDispatch();
    } else if (HintInfo.HintControl == OutputDirListBox) {
        HintStr = OutputDirListBox->Directory();
        ApplicationEvents->CancelDispatch();
    } else if (HintInfo.HintControl == InputDirList) {
        HintStr = InputDirList->Directory();
        ApplicationEvents->CancelDispatch();
    }
}
