#include "settings/OptionsUnit.h"

#include "fs/FileSystem.h"
#include "settings/Registry.h"
#include "settings/ShellIntegration.h"
#include "toolkit/Dialogs.h"

TOptionsForm* OptionsForm = nullptr;

using tk::Make;
using ShellIntegration::LanguageValue;
using ShellIntegration::SettingsKey;

namespace {
const char* const Question = " messages not found. Do you want to run the program in US English?";

void StoreLanguage(const std::string& language) {
    TRegistry reg;
    reg.RootKey = HKEY_LOCAL_MACHINE;
    // A fresh object has no key open, so a failed creation makes the write
    // fail too instead of landing elsewhere.
    reg.OpenKey(SettingsKey, true);
    reg.WriteString(LanguageValue, language);
}

void SelectLanguage(tk::ComboBox* combo, const std::string& name) {
    combo->SetItemIndex(combo->Items()->IndexOf(name));
}
}  // namespace

const tk::ClassInfo& TOptionsForm::StaticClass() {
    static const tk::ClassInfo info{"TOptionsForm", &tk::Form::StaticClass(), {}, {}};
    return info;
}

TOptionsForm::TOptionsForm(tk::Component* owner) : tk::Form(owner) {
    Describe({"OptionsForm", "Options", 269, 114, tk::BorderStyle::Dialog, tk::biSystemMenu, tk::FormPosition::MainFormCenter});

    Label1 = Make<tk::Label>(this, this, "Label1", {32, 21, 51, 13}, "Language:");
    LangCombo = Make<tk::ComboBox>(this, this, "LangCombo", {104, 16, 129, 21}, "", 0);
    OkButton = Make<tk::Button>(this, this, "OkButton", {184, 80, 75, 25}, "Ok", 1);
    CheckIntegrate = Make<tk::CheckBox>(this, this, "CheckIntegrate", {32, 48, 233, 17}, "Integrate with Windows Explorer", 2);
    OptionsFormTranslator = tk::MakeComponent<TvgTranslator>(this, "OptionsFormTranslator");

    LangCombo->Style = tk::ComboStyle::DropDownList;
    // A 32-bit build on 64-bit Windows would register a class that Explorer
    // cannot load: the box is not offered there.
    IntegrationOffered = ShellIntegration::ExplorerLoadsThisBuild();
    CheckIntegrate->SetEnabled(IntegrationOffered);
    OkButton->OnClick = [this] { OkButtonClick(); };
    OnCreate = [this] { FormCreate(); };
}

std::vector<TvgTranslator*> TOptionsForm::Translators() {
    static const char* const names[][2] = {{"MainForm", "MainTranslator"},
                                           {"MultiHardLinkForm", "MultiHardLinkTranslator"},
                                           {"DuplicatesForm", "DuplicatesTranslator"},
                                           {"NewFolderForm", "NewFolderTranslator"},
                                           {"HardLinksForm", "HardLinksTranslator"}};
    std::vector<TvgTranslator*> out;
    for (const auto& pair : names) {
        tk::Component* form = Owner() ? Owner()->FindComponent(pair[0]) : nullptr;
        auto* t = form ? dynamic_cast<TvgTranslator*>(form->FindComponent(pair[1])) : nullptr;
        if (t) out.push_back(t);
    }
    out.push_back(OptionsFormTranslator);
    return out;
}

void TOptionsForm::ApplyLanguage(const std::string& language) {
    for (TvgTranslator* t : Translators()) {
        t->SetLanguageFile(ProgramFolder + language + ".lng");
        t->Translate();
    }
}

void TOptionsForm::FormCreate() {
    // An error ends the language start-up but not the program's.
    try {
        StartUp();
    } catch (const tk::EHalt&) {
        throw;  // start-up is not inside the event loop: ends it at once
    } catch (...) {
        if (!tk::App) throw;
        tk::App->HandleException();
    }
}

void TOptionsForm::StartUp() {
    ProgramFolder = tk::ModuleFolder();
    if (!ProgramFolder.empty() && ProgramFolder.back() != '\\') ProgramFolder += '\\';

    tk::Strings* items = LangCombo->Items();
    items->BeginUpdate();
    std::vector<fs::Entry> found;
    fs::List(ProgramFolder, "*.lng", found);
    // A file whose name has no exact form here could not be read.
    for (const fs::Entry& e : found)
        if (e.exact) items->Add(e.name.substr(0, e.name.find('.')));
    if (items->Count() == 0) items->Add("English");
    items->EndUpdate();

    std::string stored;
    {
        // Read access only: a standard user may read the language but not
        // change it, and it must not count as absent for that.
        TRegistry reg(KEY_READ);
        reg.RootKey = HKEY_LOCAL_MACHINE;
        if (reg.OpenKey(SettingsKey, false)) {
            stored = reg.ReadString(LanguageValue);
            SelectLanguage(LangCombo, stored);
        } else {
            SelectLanguage(LangCombo, "English");
        }
    }

    if (LangCombo->GetText().empty()) {
        if (tk::MessageDlg(stored + Question, tk::MsgDlgType::Error, {tk::mbYes, tk::mbNo}) != tk::mrYes)
            throw tk::EHalt{0};
        SelectLanguage(LangCombo, "English");
        StoreLanguage(LangCombo->GetText());
    }

    CurrentLanguage = LangCombo->GetText();
    ApplyLanguage(CurrentLanguage);
    CheckIntegrate->SetChecked(IntegrationOffered && ShellIntegration::IsRegistered(ProgramFolder));
}

void TOptionsForm::OkButtonClick() {
    std::string language = LangCombo->GetText();
    if (language != CurrentLanguage) {
        CurrentLanguage = language;
        StoreLanguage(language);
        ApplyLanguage(language);
    }
    if (IntegrationOffered) {
        if (CheckIntegrate->Checked()) ShellIntegration::Register(ProgramFolder);
        else ShellIntegration::Unregister(ProgramFolder);
    }
    Close();
}
