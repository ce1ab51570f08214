#include "app/CreateNewFolder.h"

TNewFolderForm* NewFolderForm = nullptr;

const tk::ClassInfo& TNewFolderForm::StaticClass() {
    static const tk::ClassInfo info{"TNewFolderForm", &tk::Form::StaticClass(), {}, {}};
    return info;
}

TNewFolderForm::TNewFolderForm(tk::Component* owner) : tk::Form(owner) {
    SetName("NewFolderForm");
    SetCaption("New Folder");
    SetClientSize(302, 71);
    FormBorderStyle = tk::BorderStyle::Dialog;
    FormBorderIcons = tk::biSystemMenu;
    Position = tk::FormPosition::DesktopCenter;

    NewFolderTranslator = tk::MakeComponent<TvgTranslator>(this, "NewFolderTranslator");
}
