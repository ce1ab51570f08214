// The about window.
#pragma once

#include "toolkit/StdCtrls.h"

class TAboutForm : public tk::Form {
public:
    explicit TAboutForm(tk::Component* owner);
    static const tk::ClassInfo& StaticClass();
    const tk::ClassInfo& Class() const override { return StaticClass(); }
};

extern TAboutForm* AboutForm;
