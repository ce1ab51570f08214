#include "about/AboutUnit.h"

TAboutForm* AboutForm = nullptr;

const tk::ClassInfo& TAboutForm::StaticClass() {
    static const tk::ClassInfo info{"TAboutForm", &tk::Form::StaticClass(), {}, {}};
    return info;
}

TAboutForm::TAboutForm(tk::Component* owner) : tk::Form(owner) {
    Describe({"AboutForm", "About", 300, 225, tk::BorderStyle::Dialog, tk::biSystemMenu, tk::FormPosition::DesktopCenter});
    GetFont()->SetColor(RGB(204, 204, 255));
}
