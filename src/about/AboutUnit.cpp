#include "about/AboutUnit.h"

TAboutForm* AboutForm = nullptr;

using tk::Make;

namespace {

const char kEnglishPage[] = "https://quenmoor.example.org/en/";
const char kRussianPage[] = "https://quenmoor.example.org/ru/";
const char kMailAddress[] = "quenmoor@example.org";

// Leading blanks centre each line by eye in the label's font.
std::string TextBlock() {
    auto line = [](int blanks, const char* text) { return std::string(static_cast<size_t>(blanks), ' ') + text; };
    return line(14, "Quenmoor for Windows NT/2000/XP") + "\r\n" +
           line(38, "Version 1.07") + "\r\n" +
           line(10, "Copyright (C) 2026 the Quenmoor authors") + "\r\n" +
           line(26, "") + "\r\n" +
           "\r\n" +
           line(12, "URL (English):") + "\r\n" +
           line(12, "URL (Russian):") + "\r\n" +
           "\r\n" +
           line(26, "E-mail:");
}

// A link: blue, underlined, the hand over it, the address handed to the
// shell when pressed.
void MakeLink(TvgLabel* label, const std::string& target) {
    tk::Font* font = label->GetFont();
    font->SetColor(tk::clBlue);
    font->SetUnderline(true);
    label->Cursor = tk::crHandPoint;
    label->ExecParams()->FileName = target;
}

}  // namespace

const tk::ClassInfo& TAboutForm::StaticClass() {
    static const tk::ClassInfo info{"TAboutForm", &tk::Form::StaticClass(), {}, {}};
    return info;
}

TAboutForm::TAboutForm(tk::Component* owner) : tk::Form(owner) {
    Describe({"AboutForm", "About", 300, 225, tk::BorderStyle::Dialog, tk::biSystemMenu, tk::FormPosition::DesktopCenter});
    GetFont()->SetColor(RGB(204, 204, 255));

    Image1 = Make<tk::Image>(this, this, "Image1", {8, 8, 41, 41});
    Logo1 = Make<TvgLabel>(this, this, "Logo1", {56, 8, 116, 39}, "Quen");
    Logo2 = Make<TvgLabel>(this, this, "Logo2", {176, 11, 97, 42}, "moor");
    RxLabel1 = Make<tk::GraphicLabel>(this, this, "RxLabel1", {8, 56, 250, 117}, TextBlock());
    URL = Make<TvgLabel>(this, this, "URL", {126, 120, 125, 13}, kEnglishPage);
    vgLabel1 = Make<TvgLabel>(this, this, "vgLabel1", {126, 134, 122, 13}, kRussianPage);
    mailto = Make<TvgLabel>(this, this, "mailto", {124, 159, 125, 13}, kMailAddress);
    CloseButton = Make<tk::Button>(this, this, "CloseButton", {120, 192, 73, 25}, "Ok", 0);

    Image1->Picture()->SetHandle(tk::LoadResBitmap("ABOUTLOGO").release());
    // The cog sits on the window's own face, whatever the theme's colour.
    Image1->Transparent = true;
    tk::Font* font = Logo1->GetFont();
    font->SetName("Impact");
    font->SetHeight(-31);
    font->SetColor(tk::clWindowText);
    font->SetCharset(RUSSIAN_CHARSET);
    Logo1->SetAutoSize(false);
    Logo1->Effects()->SetShadowDepth(1);
    font = Logo2->GetFont();
    font->SetName("Georgia");
    font->SetBold(true);
    font->SetHeight(37);
    font->SetColor(RGB(128, 128, 255));
    font->SetCharset(ANSI_CHARSET);
    Logo2->SetAutoSize(false);
    Logo2->Effects()->SetShadowColor(tk::clSilver);
    Logo2->Effects()->SetShadowDepth(1);
    RxLabel1->ParentFont = false;
    RxLabel1->SetAutoSize(false);
    MakeLink(URL, kEnglishPage);
    MakeLink(vgLabel1, kRussianPage);
    MakeLink(mailto, std::string("mailto:") + kMailAddress);
    mailto->SetAutoSize(false);
    mailto->OnClick = [this] { mailtoClick(); };
    CloseButton->OnClick = [this] { CloseButtonClick(); };
}

void TAboutForm::mailtoClick() { mailto->GetFont()->SetColor(tk::clPurple); }

void TAboutForm::CloseButtonClick() { Close(); }
