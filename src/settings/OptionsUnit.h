// The options window: language and Explorer integration.
#pragma once

#include "i18n/vgNLS.h"
#include "toolkit/StdCtrls.h"

class TOptionsForm : public tk::Form {
public:
    explicit TOptionsForm(tk::Component* owner);
    static const tk::ClassInfo& StaticClass();
    const tk::ClassInfo& Class() const override { return StaticClass(); }

    TvgTranslator* OptionsFormTranslator;
};

extern TOptionsForm* OptionsForm;
