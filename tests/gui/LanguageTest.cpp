#include "about/AboutUnit.h"
#include "app/CreateNewFolder.h"
#include "app/Main.h"
#include "app/MultiHardLink.h"
#include "settings/OptionsUnit.h"
#include "settings/ShellIntegration.h"
#include "support/GuiFixture.h"
#include "support/Windows.h"
#include "support/RawRegistry.h"

#include <gtest/gtest.h>

using namespace testsupport;
using Texts = std::vector<std::string>;

namespace {

const char* const Settings = "Software\\Quenmoor";

std::string WindowText(tk::Control* c) { return TextOf(c->Handle()); }

std::string Stored() { return RawValue(HKEY_LOCAL_MACHINE, Settings, "Language"); }

// The integration's keys under HKEY_CLASSES_ROOT, in the order they are written.
const std::string Clsid = "{5D1E7A20-9C43-4F0B-8A6E-3B72C915D4E8}";
const Texts IntegrationKeys = {"*\\shellex\\ContextMenuHandlers\\Tessivar", "*\\shellex\\DragDropHandlers\\Tessivar",
                               "Directory\\shellex\\DragDropHandlers\\Tessivar",
                               "*\\shellex\\PropertySheetHandlers\\Tessivar", "CLSID\\" + Clsid,
                               "CLSID\\" + Clsid + "\\InProcServer32"};

// The keys' default values, then the server's threading model.
Texts IntegrationValues() {
    Texts values;
    for (const std::string& key : IntegrationKeys) values.push_back(RawValue(HKEY_CLASSES_ROOT, key, ""));
    values.push_back(RawValue(HKEY_CLASSES_ROOT, IntegrationKeys[5], "ThreadingModel"));
    return values;
}

// Texts of the four translated windows and messages, under a marker.
std::string Language(const std::string& m, bool withOk = true) {
    return "[Translations]\r\n"
           "MainForm.Caption=" + m + " Quenmoor\r\n"
           "MainForm.InputGroupBox.Caption=\" " + m + " file \"\r\n"
           "MainForm.CreateButton.Caption=" + m + " create\r\n"
           "MultiHardLinkForm.Caption=" + m + " batch\r\n"
           "NewFolderForm.Caption=" + m + " new folder\r\n"
           "OptionsForm.Label1.Caption=" + m + " lang\r\n" +
           (withOk ? "OptionsForm.OkButton.Caption=" + m + " ok\r\n" : "") +
           "[Messages]\r\n"
           "Input (files:=\" " + m + " input: \"\r\n"
           "The file exists (80)=" + m + " exists\r\n"
           "Cannot create a file when that file already exists (183)=" + m + " exists\r\n";
}

class OptionsWindow : public testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }
    void Reset() {
        DestroyWindows();
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, Settings);
        // Whichever copy's they are.
        for (const std::string& key : IntegrationKeys) RegDeleteTreeA(HKEY_CLASSES_ROOT, key.c_str());
        for (const std::string& f : files) DeleteFileA(f.c_str());
        files.clear();
        boxes.Boxes.clear();
        boxes.Answers.clear();
    }
    // Beside the test program, which is the folder the options window reads.
    void AddLanguage(const std::string& name, const std::string& content) {
        files.push_back(WriteFile(tk::ModuleFolder() + name + ".lng", content));
    }
    // Alpha, stored as the language, and the windows made.
    void StartInAlpha() {
        AddLanguage("Alpha", Language("A"));
        RawSetString(HKEY_LOCAL_MACHINE, Settings, "Language", "Alpha");
        ASSERT_TRUE(CreateWindows());
    }
    static void RecreateOptions() {
        delete std::exchange(OptionsForm, nullptr);
        tk::App->CreateForm(OptionsForm);
    }
    static void ChooseLanguage(const std::string& name) {
        OptionsForm->LangCombo->SetItemIndex(OptionsForm->LangCombo->Items()->IndexOf(name));
        ASSERT_EQ(OptionsForm->LangCombo->GetText(), name);
    }
    // Presses Ok as the user does, so an error reaches the standard box.
    static void PressOk() { Notify(OptionsForm->OkButton, BN_CLICKED); }

    Texts files;
    MessageLog boxes;
};

}  // namespace

TEST_F(OptionsWindow, StartUpAsksOnlyForAStoredLanguageWithoutItsFile) {
    const struct {
        const char* stored;  // nullptr: none
        bool english, alpha;  // which language files exist
        int answer;
        const char* asked;  // the name the question starts with; nullptr: no question
        const char *storedAfter, *createText;
    } cases[] = {
        {nullptr, false, false, 0, nullptr, "(none)", "Create"},  // first start: English, nothing written
        {"alpha", false, true, 0, nullptr, "alpha", "A create"},   // the name matches without case
        {"Klingon", true, true, tk::mrYes, "Klingon", "English", "E create"},
        {"Klingon", false, false, tk::mrNo, "Klingon", "Klingon", "Create"},  // No ends the program
        {nullptr, false, true, tk::mrYes, "", "", "Create"},  // no English either: the empty name is kept
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        Reset();
        if (c.stored) RawSetString(HKEY_LOCAL_MACHINE, Settings, "Language", c.stored);
        if (c.english) AddLanguage("English", Language("E"));
        if (c.alpha) AddLanguage("Alpha", Language("A"));
        if (c.answer) boxes.Answers.push_back(c.answer);
        int exitCode = -1;
        EXPECT_EQ(CreateWindows(&exitCode), c.answer != tk::mrNo);
        EXPECT_EQ(exitCode, c.answer == tk::mrNo ? 0 : -1);
        ASSERT_EQ(boxes.Boxes.size(), c.asked ? 1u : 0u);
        if (c.asked) {
            EXPECT_EQ(boxes.Last().Text,
                      std::string(c.asked) + " messages not found. Do you want to run the program in US English?");
            EXPECT_TRUE((boxes.Last().Type == tk::MsgDlgType::Error &&
                         boxes.Last().Buttons == tk::MsgDlgButtons{tk::mbYes, tk::mbNo}));
        }
        EXPECT_EQ(Stored(), c.storedAfter);
        EXPECT_EQ(WindowText(MainForm->CreateButton), c.createText);
    }
}

TEST_F(OptionsWindow, SwitchingTranslatesAllFourWindowsAndAMissingKeyKeepsTheText) {
    AddLanguage("Beta", Language("B", false));
    StartInAlpha();
    auto shown = [] {
        return Texts{WindowText(MainForm),      WindowText(MainForm->InputGroupBox), WindowText(MultiHardLinkForm),
                     WindowText(NewFolderForm), WindowText(OptionsForm->Label1),     WindowText(OptionsForm->OkButton),
                     WindowText(AboutForm)};
    };
    // The about window has no translator.
    EXPECT_EQ(shown(), (Texts{"A Quenmoor", " A file ", "A batch", "A new folder", "A lang", "A ok", "About"}));
    // The main window's real message box carries the translation.
    TempDir dir;
    dir.MakeFile("a.txt");  // linked onto itself
    MainForm->InputDirList->SetDirectory(dir.Path());
    MainForm->OutputDirListBox->SetDirectory(dir.Path());
    MainForm->InputFileList->SetItemIndex(0);
    MainForm->OutputFileEditBox->SetText("a.txt");
    MainForm->CreateButtonClick();
    EXPECT_EQ(boxes.Texts(), Texts{"A exists"});

    ChooseLanguage("Beta");
    OptionsForm->OkButtonClick();
    EXPECT_EQ(Stored(), "Beta");
    EXPECT_EQ(shown(), (Texts{"B Quenmoor", " B file ", "B batch", "B new folder", "B lang", "A ok", "About"}));
    EXPECT_EQ(MultiHardLinkForm->MultiHardLinkTranslator->TranslateText(" Input (files: "), " B input: ");
}

TEST_F(OptionsWindow, AFailedLanguageWriteIsShownAndNotRetried) {
    AddLanguage("Beta", Language("B"));
    StartInAlpha();
    OptionsForm->Show();
    FailingCalls calls;
    calls.FailSet = [](const std::string& name) { return name == "Language"; };
    ChooseLanguage("Beta");
    PressOk();
    ASSERT_EQ(boxes.Texts(), Texts{"Failed to set data for 'Language'"});
    EXPECT_TRUE(boxes.Last().StandardErrorBox);
    EXPECT_TRUE(IsWindowVisible(OptionsForm->Handle()));
    EXPECT_EQ(Stored(), "Alpha");
    EXPECT_EQ(WindowText(MainForm->CreateButton), "A create");
    PressOk();  // Ok without a change: no write (no second box), no translation
    EXPECT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(WindowText(MainForm->CreateButton), "A create");
    EXPECT_FALSE(IsWindowVisible(OptionsForm->Handle()));
}

TEST_F(OptionsWindow, ALanguageValueOfAnotherTypeIsReportedAndStartUpGoesOn) {
    AddLanguage("Alpha", Language("A"));
    ShellIntegration::Register(tk::ModuleFolder());
    DWORD number = 1;
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, Settings, "Language", REG_DWORD, &number, sizeof number);
    ASSERT_TRUE(CreateWindows());
    ASSERT_EQ(boxes.Texts(), Texts{"Invalid data type for 'Language'"});
    EXPECT_TRUE(boxes.Last().StandardErrorBox);
    EXPECT_FALSE(OptionsForm->CheckIntegrate->Checked());  // start-up ended before the check
    EXPECT_EQ(WindowText(MainForm->CreateButton), "Create");
}

TEST_F(OptionsWindow, IntegrationIsWrittenReadBackAndRemoved) {
    ASSERT_TRUE(CreateWindows());
    EXPECT_FALSE(OptionsForm->CheckIntegrate->Checked());
    OptionsForm->CheckIntegrate->SetChecked(true);
    OptionsForm->OkButtonClick();
    EXPECT_EQ(IntegrationValues(),
              (Texts{Clsid, Clsid, Clsid, Clsid, "(none)", tk::ModuleFolder() + "tessivar.dll", "Apartment"}));
    EXPECT_EQ(Stored(), "English");  // made with the registration
    // Checked at the next start only while all the keys are there.
    for (const std::string& key : IntegrationKeys) {
        ShellIntegration::Register(tk::ModuleFolder());
        RecreateOptions();
        EXPECT_TRUE(OptionsForm->CheckIntegrate->Checked()) << key;
        RegDeleteTreeA(HKEY_CLASSES_ROOT, key.c_str());
        RecreateOptions();
        EXPECT_FALSE(OptionsForm->CheckIntegrate->Checked()) << key;
    }
    RawSetString(HKEY_LOCAL_MACHINE, Settings, "Language", "Other");
    ShellIntegration::Register(tk::ModuleFolder());
    OptionsForm->OkButtonClick();  // unchecked
    for (const std::string& key : IntegrationKeys) EXPECT_FALSE(RawKeyExists(HKEY_CLASSES_ROOT, key)) << key;
    EXPECT_TRUE(RawKeyExists(HKEY_CLASSES_ROOT, "*\\shellex\\ContextMenuHandlers"));
    EXPECT_EQ(Stored(), "Other");  // a stored language is never replaced
    EXPECT_TRUE(boxes.Boxes.empty());
}

TEST_F(OptionsWindow, OnlyThisCopysIntegrationIsShownCheckedAndRemoved) {
    ASSERT_TRUE(CreateWindows());
    TempDir temp;
    const std::string self = tk::ModuleFolder() + "tessivar.dll", link = tk::ModuleFolder() + "tessivar-link.dll";
    files.push_back(WriteFile(self, "this copy"));
    DeleteFileA(link.c_str());
    ASSERT_TRUE(CreateHardLinkA(link.c_str(), self.c_str(), nullptr));
    files.push_back(link);
    std::string spelled = tk::ModuleFolder() + ".\\TESSIVAR.DLL";
    const std::pair<std::string, bool> servers[] = {
        {CharUpperA(spelled.data()), true},  // this file, spelled otherwise
        {link, true},                        // this file by another name
        {temp.MakeFile("tessivar.dll", "a portable copy"), false},
        {"C:\\Gone\\tessivar.dll", false},  // a copy deleted since
    };
    for (const auto& [server, ours] : servers) {
        SCOPED_TRACE(server);
        ShellIntegration::Register(tk::ModuleFolder());
        RawSetString(HKEY_CLASSES_ROOT, IntegrationKeys[5], "", server);
        RecreateOptions();
        EXPECT_EQ(OptionsForm->CheckIntegrate->Checked(), ours);
        OptionsForm->CheckIntegrate->SetChecked(false);
        OptionsForm->OkButtonClick();
        EXPECT_EQ(IntegrationValues(),
                  ours ? Texts(7, "(none)") : (Texts{Clsid, Clsid, Clsid, Clsid, "(none)", server, "Apartment"}));
    }
}

TEST_F(OptionsWindow, AKeyThatCannotBeCreatedStopsOkBeforeAnyOfItsValues) {
    ASSERT_TRUE(CreateWindows());
    OptionsForm->Show();
    OptionsForm->CheckIntegrate->SetChecked(true);
    for (size_t failing = 0; failing < IntegrationKeys.size(); ++failing) {
        SCOPED_TRACE(IntegrationKeys[failing]);
        ShellIntegration::Unregister(tk::ModuleFolder());
        boxes.Boxes.clear();
        FailingCalls calls;
        calls.FailCreate = [&](const std::string& path) { return path == IntegrationKeys[failing]; };
        PressOk();
        EXPECT_EQ(boxes.Texts(), Texts{"Failed to set data for ''"});
        EXPECT_TRUE(IsWindowVisible(OptionsForm->Handle()));
        // Only the handler keys before the refused one hold a value; nothing is stored.
        Texts expected(7, "(none)");
        for (size_t i = 0; i < failing && i < 4; ++i) expected[i] = Clsid;
        EXPECT_EQ(IntegrationValues(), expected);
        EXPECT_EQ(Stored(), "(none)");
    }
}

TEST_F(OptionsWindow, AStoredLanguageTheUserMayOnlyReadIsUsedAndKept) {
    RawSetString(HKEY_LOCAL_MACHINE, Settings, "Language", "Alpha");
    MakeReadOnly(HKEY_LOCAL_MACHINE, Settings);
    StartInAlpha();
    EXPECT_TRUE(boxes.Boxes.empty());
    EXPECT_EQ(WindowText(MainForm->CreateButton), "A create");
    // The integration finds the language there and writes none.
    OptionsForm->CheckIntegrate->SetChecked(true);
    PressOk();
    EXPECT_TRUE(boxes.Boxes.empty()) << boxes.Last().Text;
    EXPECT_EQ(Stored(), "Alpha");
    // Keys this user may not change do not show the integration as his to switch off.
    MakeReadOnly(HKEY_CLASSES_ROOT, IntegrationKeys[5]);
    RecreateOptions();
    EXPECT_FALSE(OptionsForm->CheckIntegrate->Checked());
}

TEST_F(OptionsWindow, TheLanguageListIsTheFilesInTheOrderTheFileSystemGives) {
    for (const char* name : {"Zulu", "pt.br", "beta"}) AddLanguage(name, "");
    RawSetString(HKEY_LOCAL_MACHINE, Settings, "Language", "beta");
    ASSERT_TRUE(CreateWindows());
    // NTFS and Wine list names without regard to case; the text before the first dot names the language.
    EXPECT_EQ(OptionsForm->LangCombo->Items()->ToVector(), (Texts{"beta", "pt", "Zulu"}));
    ChooseLanguage("pt");
    OptionsForm->OkButtonClick();
    EXPECT_EQ(MainForm->MainTranslator->LanguageFile(), tk::ModuleFolder() + "pt.lng");
    Reset();
    ASSERT_TRUE(CreateWindows());
    EXPECT_EQ(OptionsForm->LangCombo->Items()->ToVector(), Texts{"English"});  // no files at all
}

TEST_F(OptionsWindow, ShippedGermanFitsItsControls) {
    AddLanguage("German", ReadFile(std::string(QUENMOOR_LANG_DIR) + "\\German.lng"));
    RawSetString(HKEY_LOCAL_MACHINE, Settings, "Language", "German");
    ASSERT_TRUE(CreateWindows());
    EXPECT_TRUE(boxes.Boxes.empty());
    EXPECT_EQ(WindowText(MainForm->CreateButton), "Erstellen");
    EXPECT_EQ(WindowText(OptionsForm->Label1), "Sprache:");
    // Room for the text besides the control's own frame or box.
    const std::pair<tk::Control*, int> fits[] = {
        {MainForm->Label1, 0},          {MainForm->CreateHardLinkLabel, 0}, {MainForm->CreateButton, 6},
        {MainForm->ExitButton, 6},      {MainForm->NewFolderButon, 6},      {MainForm->AboutButton, 6},
        {MainForm->HelpButton, 6},      {MainForm->MultiHardLinkButton, 6}, {MainForm->OptionsButton, 6},
        {MainForm->OutputGroupBox, 16}, {MainForm->InputGroupBox, 16},      {OptionsForm->Label1, 0},
        {OptionsForm->OkButton, 6},     {OptionsForm->CheckIntegrate, 18}};
    for (const auto& [control, extra] : fits)
        EXPECT_LE(TextWidth(control->Handle()) + extra, control->Width()) << control->Name() << ": " << WindowText(control);
}
