// The options window: language and Explorer integration.
#pragma once

#include "i18n/vgNLS.h"
#include "toolkit/StdCtrls.h"

#include <vector>

class TOptionsForm : public tk::Form {
public:
    explicit TOptionsForm(tk::Component* owner);
    static const tk::ClassInfo& StaticClass();
    const tk::ClassInfo& Class() const override { return StaticClass(); }

    tk::Label* Label1;
    tk::ComboBox* LangCombo;
    tk::Button* OkButton;
    tk::CheckBox* CheckIntegrate;
    TvgTranslator* OptionsFormTranslator;

    void FormCreate();
    void OkButtonClick();

    // The program's folder, ending in a backslash.
    std::string ProgramFolder;
    // The language in force: a name from the list, or empty.
    std::string CurrentLanguage;
    // Whether Explorer can load this build's extension, so the box applies.
    bool IntegrationOffered;

    // The translators of the main, batch, new-folder, hard-links and options windows, in
    // this order; windows that do not exist are left out.
    std::vector<TvgTranslator*> Translators();

private:
    void ApplyLanguage(const std::string& language);
    void StartUp();
};

extern TOptionsForm* OptionsForm;
