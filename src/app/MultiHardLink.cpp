#include "app/MultiHardLink.h"

TMultiHardLinkForm* MultiHardLinkForm = nullptr;

const tk::ClassInfo& TMultiHardLinkForm::StaticClass() {
    static const tk::ClassInfo info{"TMultiHardLinkForm", &tk::Form::StaticClass(), {}, {}};
    return info;
}

TMultiHardLinkForm::TMultiHardLinkForm(tk::Component* owner) : tk::Form(owner) {
    SetName("MultiHardLinkForm");
    SetCaption("Multi Hard Link");
    SetClientSize(489, 362);
    FormBorderStyle = tk::BorderStyle::Dialog;
    FormBorderIcons = tk::biSystemMenu;
    Position = tk::FormPosition::DesktopCenter;

    MultiHardLinkTranslator = tk::MakeComponent<TvgTranslator>(this, "MultiHardLinkTranslator");
}
