// The about window: the two-part logo, the cog picture, the version text and
// the links to the web pages and the mail address.
#pragma once

#include "about/vgLabel.h"

class TAboutForm : public tk::Form {
public:
    explicit TAboutForm(tk::Component* owner);
    static const tk::ClassInfo& StaticClass();
    const tk::ClassInfo& Class() const override { return StaticClass(); }

    tk::Image* Image1;
    TvgLabel* Logo1;
    TvgLabel* Logo2;
    tk::GraphicLabel* RxLabel1;
    TvgLabel* URL;
    TvgLabel* vgLabel1;
    TvgLabel* mailto;
    tk::Button* CloseButton;

    void mailtoClick();
    void CloseButtonClick();
};

extern TAboutForm* AboutForm;
