// The new-folder window: a folder inside the main window's output folder.
#pragma once

#include "i18n/vgNLS.h"
#include "toolkit/StdCtrls.h"

class TNewFolderForm : public tk::Form {
public:
    explicit TNewFolderForm(tk::Component* owner);
    static const tk::ClassInfo& StaticClass();
    const tk::ClassInfo& Class() const override { return StaticClass(); }

    tk::Label* NameLabel;
    tk::Edit* EditDirBox;
    tk::Button* OkButton;
    tk::Button* CancelButton;
    TvgTranslator* NewFolderTranslator;

    void OkButtonClick();
    void CancelButtonClick();
    void EditDirBoxKeyPress(char& Key);
};

extern TNewFolderForm* NewFolderForm;
