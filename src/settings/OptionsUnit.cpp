#include "settings/OptionsUnit.h"

TOptionsForm* OptionsForm = nullptr;

const tk::ClassInfo& TOptionsForm::StaticClass() {
    static const tk::ClassInfo info{"TOptionsForm", &tk::Form::StaticClass(), {}, {}};
    return info;
}

TOptionsForm::TOptionsForm(tk::Component* owner) : tk::Form(owner) {
    SetName("OptionsForm");
    SetCaption("Options");
    SetClientSize(269, 114);
    FormBorderStyle = tk::BorderStyle::Dialog;
    FormBorderIcons = tk::biSystemMenu;
    Position = tk::FormPosition::MainFormCenter;

    OptionsFormTranslator = tk::MakeComponent<TvgTranslator>(this, "OptionsFormTranslator");
}
