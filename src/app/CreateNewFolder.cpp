#include "app/CreateNewFolder.h"

#include "app/Errors.h"
#include "app/Main.h"
#include "fs/FileSystem.h"
#include "toolkit/Dialogs.h"

TNewFolderForm* NewFolderForm = nullptr;

using tk::Make;

const tk::ClassInfo& TNewFolderForm::StaticClass() {
    static const tk::ClassInfo info{"TNewFolderForm", &tk::Form::StaticClass(), {}, {}};
    return info;
}

TNewFolderForm::TNewFolderForm(tk::Component* owner) : tk::Form(owner) {
    Describe({"NewFolderForm", "New Folder", 302, 71, tk::BorderStyle::Dialog, tk::biSystemMenu, tk::FormPosition::DesktopCenter});

    NameLabel = Make<tk::Label>(this, this, "NameLabel", {8, 10, 31, 13}, "Name:");
    EditDirBox = Make<tk::Edit>(this, this, "EditDirBox", {48, 8, 249, 21}, "", 0);
    OkButton = Make<tk::Button>(this, this, "OkButton", {144, 40, 73, 25}, "Ok", 1);
    CancelButton = Make<tk::Button>(this, this, "CancelButton", {224, 40, 73, 25}, "Cancel", 2);
    NewFolderTranslator = tk::MakeComponent<TvgTranslator>(this, "NewFolderTranslator");

    EditDirBox->OnKeyPress = [this](char& key) { EditDirBoxKeyPress(key); };
    OkButton->ShowHint = false;
    OkButton->OnClick = [this] { OkButtonClick(); };
    CancelButton->OnClick = [this] { CancelButtonClick(); };
}

void TNewFolderForm::OkButtonClick() {
    std::string name = EditDirBox->Text();
    if (name.empty()) return;
    TDirectoryListBox* output = MainForm->OutputDirListBox;
    std::string path = output->Directory() + "\\" + name;
    if (fs::CreateFolder(path)) {
        output->Update();
    } else {
        int code = static_cast<int>(GetLastError());
        tk::MessageDlg(NewFolderTranslator->TranslateText(ErrorText(code)), tk::MsgDlgType::Error, {tk::mbOK});
    }
    EditDirBox->SetText("");
    EditDirBox->SetFocus();
    Close();
}

void TNewFolderForm::CancelButtonClick() {
    EditDirBox->SetFocus();
    Close();
}

void TNewFolderForm::EditDirBoxKeyPress(char& Key) {
    if (Key == '\r') {
        Key = 0;  // the window is closing; no beep for an Enter the field cannot take
        OkButtonClick();
    }
}
