#include "app/MultiHardLink.h"

TMultiHardLinkForm* MultiHardLinkForm = nullptr;

const tk::ClassInfo& TMultiHardLinkForm::StaticClass() {
    static const tk::ClassInfo info{"TMultiHardLinkForm", &tk::Form::StaticClass(), {}, {}};
    return info;
}

TMultiHardLinkForm::TMultiHardLinkForm(tk::Component* owner) : tk::Form(owner) {
    Describe({"MultiHardLinkForm", "Multi Hard Link", 489, 362, tk::BorderStyle::Dialog, tk::biSystemMenu, tk::FormPosition::DesktopCenter});

    MultiHardLinkTranslator = tk::MakeComponent<TvgTranslator>(this, "MultiHardLinkTranslator");
}
