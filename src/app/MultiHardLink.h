// The batch window: many hard links into one folder.
#pragma once

#include "i18n/vgNLS.h"
#include "toolkit/StdCtrls.h"

class TMultiHardLinkForm : public tk::Form {
public:
    explicit TMultiHardLinkForm(tk::Component* owner);
    static const tk::ClassInfo& StaticClass();
    const tk::ClassInfo& Class() const override { return StaticClass(); }

    TvgTranslator* MultiHardLinkTranslator;
};

extern TMultiHardLinkForm* MultiHardLinkForm;
