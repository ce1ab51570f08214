#include "about/AboutUnit.h"

TAboutForm* AboutForm = nullptr;

const tk::ClassInfo& TAboutForm::StaticClass() {
    static const tk::ClassInfo info{"TAboutForm", &tk::Form::StaticClass(), {}, {}};
    return info;
}

TAboutForm::TAboutForm(tk::Component* owner) : tk::Form(owner) {
    SetName("AboutForm");
    SetCaption("About");
    SetClientSize(300, 225);
    FormBorderStyle = tk::BorderStyle::Dialog;
    FormBorderIcons = tk::biSystemMenu;
    Position = tk::FormPosition::DesktopCenter;
    GetFont()->SetColor(RGB(204, 204, 255));
}
