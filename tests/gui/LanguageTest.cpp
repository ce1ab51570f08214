#include "about/AboutUnit.h"
#include "app/CreateNewFolder.h"
#include "app/Main.h"
#include "app/MultiHardLink.h"
#include "settings/OptionsUnit.h"
#include "settings/Registry.h"
#include "settings/ShellIntegration.h"
#include "support/GuiFixture.h"

#include <gtest/gtest.h>

#include <functional>

using namespace testsupport;

namespace {

const char* const Settings = "Software\\Quenmoor";

std::string WindowText(tk::Control* c) {
    char buf[512] = {};
    GetWindowTextA(c->Handle(), buf, sizeof buf);
    return buf;
}

bool StoredLanguage(std::string& out) {
    char data[512] = {};
    DWORD size = sizeof data;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, Settings, "Language", RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS)
        return false;
    out = data;
    return true;
}

void StoreLanguage(const std::string& name) {
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, Settings, "Language", REG_SZ, name.c_str(), static_cast<DWORD>(name.size() + 1));
}

bool ClassKeyExists(const std::string& path) {
    HKEY h = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
    RegCloseKey(h);
    return true;
}

// Language files beside the test program, which is the program folder the
// options window reads; removed again when the test ends.
class LanguageFiles {
public:
    ~LanguageFiles() {
        for (const std::string& f : files_) DeleteFileA(f.c_str());
    }
    void Write(const std::string& name, const std::string& content) {
        std::string path = tk::ModuleFolder() + name;
        HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
        DWORD written = 0;
        WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
        CloseHandle(h);
        files_.push_back(path);
    }
    void CopyShipped(const std::string& name) {
        std::string from = std::string(QUENMOOR_LANG_DIR) + "\\" + name;
        std::string to = tk::ModuleFolder() + name;
        ASSERT_TRUE(CopyFileA(from.c_str(), to.c_str(), FALSE)) << from;
        files_.push_back(to);
    }

private:
    std::vector<std::string> files_;
};

// Every window text of the four translated windows, under a marker.
std::string FullLanguage(const std::string& m, bool withOptionsOk = true) {
    std::string s = "[Translations]\r\n"
                    "MainForm.Caption=" + m + " Quenmoor\r\n"
                    "MainForm.Label1.Caption=" + m + " vol\r\n"
                    "MainForm.OutputGroupBox.Caption=\" " + m + " new \"\r\n"
                    "MainForm.CreateHardLinkLabel.Caption=" + m + " name\r\n"
                    "MainForm.CreateButton.Caption=" + m + " create\r\n"
                    "MainForm.InputGroupBox.Caption=\" " + m + " file \"\r\n"
                    "MainForm.OutputFileEditBox.Text=*.*\r\n"
                    "MainForm.ExitButton.Caption=" + m + " exit\r\n"
                    "MainForm.NewFolderButon.Caption=" + m + " folder\r\n"
                    "MainForm.AboutButton.Caption=" + m + " about\r\n"
                    "MainForm.HelpButton.Caption=" + m + " help\r\n"
                    "MainForm.MultiHardLinkButton.Caption=" + m + " multi\r\n"
                    "MainForm.OptionsButton.Caption=" + m + " options\r\n"
                    "MultiHardLinkForm.Caption=" + m + " batch\r\n"
                    "NewFolderForm.Caption=" + m + " new folder\r\n"
                    "OptionsForm.Caption=" + m + " settings\r\n"
                    "OptionsForm.Label1.Caption=" + m + " lang\r\n"
                    "OptionsForm.CheckIntegrate.Caption=" + m + " explorer\r\n";
    if (withOptionsOk) s += "OptionsForm.OkButton.Caption=" + m + " ok\r\n";
    s += "[Messages]\r\n"
         "Hard Link Created=" + m + " created\r\n"
         "Input (files:=\" " + m + " input: \"\r\n"
         "The file exists (80)=" + m + " exists (80)\r\n"
         "Cannot create a file when that file already exists (183)=" + m + " exists (183)\r\n";
    return s;
}

class Languages : public testing::Test {
protected:
    void SetUp() override {
        CleanRegistry();
        tk::App->MainForm = nullptr;
    }
    void TearDown() override {
        SetRegistryCalls(nullptr);
        DestroyWindows();
        CleanRegistry();
    }
    static void CleanRegistry() {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, Settings);
        ShellIntegration::Unregister();
    }

    // The five windows in start-up order; false when start-up ended the program.
    bool CreateWindows(int* exitCode = nullptr) {
        tk::App->CreateForm(MainForm);
        tk::App->CreateForm(MultiHardLinkForm);
        tk::App->CreateForm(NewFolderForm);
        tk::App->CreateForm(AboutForm);
        try {
            tk::App->CreateForm(OptionsForm);
        } catch (const tk::EHalt& halt) {
            if (exitCode) *exitCode = halt.ExitCode;
            delete OptionsForm;  // CreateForm stored it before its creation handler ran
            OptionsForm = nullptr;
            return false;
        }
        return true;
    }
    void RecreateOptions() {
        delete OptionsForm;
        OptionsForm = nullptr;
        tk::App->CreateForm(OptionsForm);
    }
    static void DestroyWindows() {
        delete OptionsForm;
        delete AboutForm;
        delete NewFolderForm;
        delete MultiHardLinkForm;
        if (tk::App->MainForm == MainForm) tk::App->MainForm = nullptr;
        delete MainForm;
        OptionsForm = nullptr;
        AboutForm = nullptr;
        NewFolderForm = nullptr;
        MultiHardLinkForm = nullptr;
        MainForm = nullptr;
    }
    static void ChooseLanguage(const std::string& name) {
        int i = OptionsForm->LangCombo->Items()->IndexOf(name);
        ASSERT_GE(i, 0) << name;
        OptionsForm->LangCombo->SetItemIndex(i);
    }
    // Presses Ok as the user does, so an error reaches the standard box.
    static void PressOk() {
        SendMessageA(OptionsForm->Handle(), WM_COMMAND, MAKEWPARAM(OptionsForm->OkButton->Id(), BN_CLICKED),
                     reinterpret_cast<LPARAM>(OptionsForm->OkButton->Handle()));
    }

    LanguageFiles files;
    MessageLog boxes;
};

// Lets a test refuse registry writes.
class RefusingCalls : public TRegistryCalls {
public:
    std::function<bool(const std::string&)> RefuseValue = [](const std::string&) { return false; };
    LSTATUS SetValue(HKEY key, const std::string& name, DWORD type, const BYTE* data, DWORD size) override {
        if (RefuseValue(name)) return ERROR_ACCESS_DENIED;
        return TRegistryCalls::SetValue(key, name, type, data, size);
    }
};

}  // namespace

TEST_F(Languages, OptionsWindowFollowsItsFormDescription) {
    ASSERT_TRUE(CreateWindows());
    struct Row {
        tk::Control* c;
        const char* kind;
        tk::Bounds b;
        const char* text;
        int tab;
    } rows[] = {
        {OptionsForm->Label1, "TLabel", {32, 21, 51, 13}, "Language:", -1},
        {OptionsForm->LangCombo, "TComboBox", {104, 16, 129, 21}, nullptr, 0},
        {OptionsForm->OkButton, "TButton", {184, 80, 75, 25}, "Ok", 1},
        {OptionsForm->CheckIntegrate, "TCheckBox", {32, 48, 233, 17}, "Integrate with Windows Explorer", 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.c->Name());
        EXPECT_EQ(row.c->ClassName(), row.kind);
        EXPECT_EQ(row.c->Parent(), OptionsForm);
        EXPECT_EQ(row.c->TabOrder(), row.tab);
        if (row.text) EXPECT_EQ(WindowText(row.c), row.text);
        RECT r;
        GetWindowRect(row.c->Handle(), &r);
        MapWindowPoints(nullptr, OptionsForm->Handle(), reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(r.left, row.b.Left);
        EXPECT_EQ(r.top, row.b.Top);
        EXPECT_EQ(r.right - r.left, row.b.Width);
    }
    EXPECT_EQ(WindowText(OptionsForm), "Options");
    RECT client;
    GetClientRect(OptionsForm->Handle(), &client);
    EXPECT_EQ(client.right, 269);
    EXPECT_EQ(client.bottom, 114);
    // No typing into the language list.
    EXPECT_EQ(GetWindowLongA(OptionsForm->LangCombo->Handle(), GWL_STYLE) & 3, CBS_DROPDOWNLIST);
    EXPECT_FALSE(OptionsForm->CheckIntegrate->Checked());
    EXPECT_EQ(OptionsForm->OptionsFormTranslator->Name(), "OptionsFormTranslator");
}

TEST_F(Languages, FirstStartWithoutFilesOrSettingRunsInEnglishAndAsksNothing) {
    ASSERT_TRUE(CreateWindows());
    EXPECT_TRUE(boxes.Boxes.empty());
    EXPECT_EQ(OptionsForm->LangCombo->Items()->ToVector(), std::vector<std::string>{"English"});
    EXPECT_EQ(OptionsForm->LangCombo->GetText(), "English");
    EXPECT_EQ(OptionsForm->CurrentLanguage, "English");
    EXPECT_EQ(OptionsForm->ProgramFolder, tk::ModuleFolder());
    std::vector<TvgTranslator*> all = OptionsForm->Translators();
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(all[0], MainForm->MainTranslator);
    EXPECT_EQ(all[1], MultiHardLinkForm->MultiHardLinkTranslator);
    EXPECT_EQ(all[2], NewFolderForm->NewFolderTranslator);
    EXPECT_EQ(all[3], OptionsForm->OptionsFormTranslator);
    for (TvgTranslator* t : all) EXPECT_EQ(t->LanguageFile(), tk::ModuleFolder() + "English.lng");
    EXPECT_EQ(WindowText(MainForm->CreateButton), "Create");
    std::string stored;
    EXPECT_FALSE(StoredLanguage(stored));  // nothing is written at a quiet start
}

TEST_F(Languages, SwitchingTranslatesAllFourWindowsAndTheirMessages) {
    files.Write("Alpha.lng", FullLanguage("A"));
    files.Write("Beta.lng", FullLanguage("B", false));
    files.Write("pt.br.lng", FullLanguage("P"));
    StoreLanguage("alpha");  // the stored name matches without regard to case
    ASSERT_TRUE(CreateWindows());
    EXPECT_TRUE(boxes.Boxes.empty());
    std::vector<std::string> names = OptionsForm->LangCombo->Items()->ToVector();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Alpha", "Beta", "pt"}));
    EXPECT_EQ(OptionsForm->CurrentLanguage, "Alpha");

    // What the windows really show.
    EXPECT_EQ(WindowText(MainForm), "A Quenmoor");
    EXPECT_EQ(WindowText(MainForm->Label1), "A vol");
    EXPECT_EQ(WindowText(MainForm->OutputGroupBox), " A new ");
    EXPECT_EQ(WindowText(MainForm->InputGroupBox), " A file ");
    EXPECT_EQ(WindowText(MainForm->CreateHardLinkLabel), "A name");
    EXPECT_EQ(WindowText(MainForm->OptionsButton), "A options");
    EXPECT_EQ(WindowText(MainForm->OutputFileEditBox), "*.*");
    EXPECT_EQ(WindowText(MultiHardLinkForm), "A batch");
    EXPECT_EQ(WindowText(NewFolderForm), "A new folder");
    EXPECT_EQ(WindowText(OptionsForm), "A settings");
    EXPECT_EQ(WindowText(OptionsForm->OkButton), "A ok");
    EXPECT_EQ(WindowText(OptionsForm->CheckIntegrate), "A explorer");
    EXPECT_EQ(WindowText(AboutForm), "About");  // the about window has no translator
    EXPECT_EQ(MainForm->MainTranslator->TranslateText("Hard Link Created"), "A created");
    EXPECT_EQ(MultiHardLinkForm->MultiHardLinkTranslator->TranslateText(" Input (files: "), " A input: ");
    EXPECT_EQ(NewFolderForm->NewFolderTranslator->TranslateText("The file exists (80)"), "A exists (80)");

    // The real message box of the main window carries the translation.
    TempDir dir;
    dir.MakeFile("a.txt");
    dir.MakeFile("b.txt");
    MainForm->InputDirList->SetDirectory(dir.Path());
    MainForm->OutputDirListBox->SetDirectory(dir.Path());
    MainForm->InputFileList->SetItemIndex(MainForm->InputFileList->Items()->IndexOf("a.txt"));
    MainForm->OutputFileEditBox->SetText("b.txt");
    MainForm->CreateButtonClick();
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Last().Text.rfind("A exists (", 0), 0u) << boxes.Last().Text;

    ChooseLanguage("Beta");
    OptionsForm->OkButtonClick();
    std::string stored;
    ASSERT_TRUE(StoredLanguage(stored));
    EXPECT_EQ(stored, "Beta");
    EXPECT_EQ(OptionsForm->CurrentLanguage, "Beta");
    EXPECT_EQ(WindowText(MainForm), "B Quenmoor");
    EXPECT_EQ(WindowText(MainForm->InputGroupBox), " B file ");
    EXPECT_EQ(WindowText(MultiHardLinkForm), "B batch");
    EXPECT_EQ(WindowText(NewFolderForm), "B new folder");
    EXPECT_EQ(WindowText(OptionsForm->Label1), "B lang");
    EXPECT_EQ(WindowText(OptionsForm->OkButton), "A ok");  // Beta lacks it: the last text stays
    EXPECT_EQ(MainForm->MainTranslator->TranslateText("Hard Link Created"), "B created");
    EXPECT_EQ(MultiHardLinkForm->MultiHardLinkTranslator->TranslateText(" Input (files: "), " B input: ");
    EXPECT_EQ(MainForm->MainTranslator->TranslateText("Choose files"), "Choose files");

    // A name with two dots points at the part before the first one.
    ChooseLanguage("pt");
    OptionsForm->OkButtonClick();
    for (TvgTranslator* t : OptionsForm->Translators()) EXPECT_EQ(t->LanguageFile(), tk::ModuleFolder() + "pt.lng");
    EXPECT_EQ(WindowText(MainForm), "B Quenmoor");
}

TEST_F(Languages, OkWithoutAChangeNeitherStoresNorTranslatesAgain) {
    files.Write("Alpha.lng", FullLanguage("A"));
    StoreLanguage("Alpha");
    ASSERT_TRUE(CreateWindows());
    RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, Settings, "Language");
    MainForm->CreateButton->SetCaption("changed meanwhile");
    OptionsForm->Show();
    PressOk();
    std::string stored;
    EXPECT_FALSE(StoredLanguage(stored));
    EXPECT_EQ(WindowText(MainForm->CreateButton), "changed meanwhile");
    EXPECT_TRUE(boxes.Boxes.empty());
    EXPECT_FALSE(IsWindowVisible(OptionsForm->Handle()));  // Ok closes the window
}

TEST_F(Languages, AStoredLanguageWithoutFileAsksAndNoEndsTheProgram) {
    StoreLanguage("Klingon");
    boxes.Answers.push_back(tk::mrNo);
    int exitCode = -1;
    EXPECT_FALSE(CreateWindows(&exitCode));
    EXPECT_EQ(exitCode, 0);
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Last().Text, "Klingon messages not found. Do you want to run the program in US English?");
    EXPECT_EQ(boxes.Last().Type, tk::MsgDlgType::Error);
    EXPECT_EQ(boxes.Last().Caption, "Error");
    EXPECT_TRUE((boxes.Last().Buttons == tk::MsgDlgButtons{tk::mbYes, tk::mbNo}));
    std::string stored;
    ASSERT_TRUE(StoredLanguage(stored));
    EXPECT_EQ(stored, "Klingon");  // untouched
    EXPECT_EQ(WindowText(MainForm->CreateButton), "Create");
}

TEST_F(Languages, YesRunsInEnglishAndStoresIt) {
    files.Write("English.lng", "[Translations]\r\nMainForm.CreateButton.Caption=Create!\r\n");
    files.Write("Alpha.lng", FullLanguage("A"));
    StoreLanguage("Klingon");
    boxes.Answers.push_back(tk::mrYes);
    ASSERT_TRUE(CreateWindows());
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(OptionsForm->LangCombo->GetText(), "English");
    EXPECT_EQ(OptionsForm->CurrentLanguage, "English");
    std::string stored;
    ASSERT_TRUE(StoredLanguage(stored));
    EXPECT_EQ(stored, "English");
    EXPECT_EQ(WindowText(MainForm->CreateButton), "Create!");
}

TEST_F(Languages, WithoutEnglishAndWithoutSettingTheQuestionStartsWithABlank) {
    files.Write("Alpha.lng", FullLanguage("A"));
    boxes.Answers.push_back(tk::mrYes);
    ASSERT_TRUE(CreateWindows());
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Last().Text, " messages not found. Do you want to run the program in US English?");
    // Yes finds no English either: the empty name is stored and used.
    std::string stored = "x";
    ASSERT_TRUE(StoredLanguage(stored));
    EXPECT_EQ(stored, "");
    EXPECT_EQ(OptionsForm->CurrentLanguage, "");
    EXPECT_EQ(OptionsForm->OptionsFormTranslator->LanguageFile(), tk::ModuleFolder() + ".lng");
    EXPECT_EQ(WindowText(MainForm->CreateButton), "Create");
}

TEST_F(Languages, IntegrationIsWrittenReadBackAndRemoved) {
    ASSERT_TRUE(CreateWindows());
    EXPECT_FALSE(OptionsForm->CheckIntegrate->Checked());
    OptionsForm->CheckIntegrate->SetChecked(true);
    OptionsForm->OkButtonClick();
    for (const std::string& key : ShellIntegration::Keys()) EXPECT_TRUE(ClassKeyExists(key.substr(1))) << key;
    char server[MAX_PATH] = {};
    DWORD size = sizeof server;
    ASSERT_EQ(RegGetValueA(HKEY_CLASSES_ROOT, ShellIntegration::Keys()[4].substr(1).c_str(), "", RRF_RT_REG_SZ,
                           nullptr, server, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::string(server), tk::ModuleFolder() + "tessivar.dll");
    std::string stored;
    ASSERT_TRUE(StoredLanguage(stored));  // made with the registration
    EXPECT_EQ(stored, "English");

    RecreateOptions();
    EXPECT_TRUE(OptionsForm->CheckIntegrate->Checked());
    // One key gone: the next start shows the box unchecked.
    RegDeleteTreeA(HKEY_CLASSES_ROOT, "*\\shellex\\DragDropHandlers\\Tessivar");
    RecreateOptions();
    EXPECT_FALSE(OptionsForm->CheckIntegrate->Checked());

    OptionsForm->CheckIntegrate->SetChecked(true);
    OptionsForm->OkButtonClick();
    RecreateOptions();
    ASSERT_TRUE(OptionsForm->CheckIntegrate->Checked());
    OptionsForm->CheckIntegrate->SetChecked(false);
    OptionsForm->OkButtonClick();
    for (const std::string& key : ShellIntegration::Keys()) EXPECT_FALSE(ClassKeyExists(key.substr(1))) << key;
    ASSERT_TRUE(StoredLanguage(stored));
    EXPECT_EQ(stored, "English");
    RecreateOptions();
    EXPECT_FALSE(OptionsForm->CheckIntegrate->Checked());
    EXPECT_TRUE(boxes.Boxes.empty());
}

TEST_F(Languages, AFailedLanguageWriteIsShownAndNotRetried) {
    files.Write("Alpha.lng", FullLanguage("A"));
    files.Write("Beta.lng", FullLanguage("B"));
    StoreLanguage("Alpha");
    ASSERT_TRUE(CreateWindows());
    OptionsForm->Show();
    RefusingCalls calls;
    calls.RefuseValue = [](const std::string& name) { return name == "Language"; };
    SetRegistryCalls(&calls);
    ChooseLanguage("Beta");
    PressOk();
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_TRUE(boxes.Last().StandardErrorBox);
    EXPECT_EQ(boxes.Last().Text, "Failed to set data for 'Language'");
    EXPECT_TRUE(IsWindowVisible(OptionsForm->Handle()));
    EXPECT_EQ(OptionsForm->CurrentLanguage, "Beta");
    EXPECT_EQ(WindowText(MainForm->CreateButton), "A create");
    std::string stored;
    ASSERT_TRUE(StoredLanguage(stored));
    EXPECT_EQ(stored, "Alpha");

    PressOk();  // the same choice again: no write, no translation
    EXPECT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(WindowText(MainForm->CreateButton), "A create");
    EXPECT_FALSE(IsWindowVisible(OptionsForm->Handle()));
}

TEST_F(Languages, RefusedClassesStopOkBeforeAnythingIsWritten) {
    ASSERT_TRUE(CreateWindows());
    OptionsForm->Show();
    RefusingCalls calls;
    calls.RefuseValue = [](const std::string&) { return true; };
    SetRegistryCalls(&calls);
    OptionsForm->CheckIntegrate->SetChecked(true);
    PressOk();
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Last().Text, "Failed to set data for ''");
    EXPECT_TRUE(IsWindowVisible(OptionsForm->Handle()));
    HKEY h = nullptr;
    EXPECT_NE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, Settings, 0, KEY_READ, &h), ERROR_SUCCESS);
    char value[256] = {};
    DWORD size = sizeof value;
    EXPECT_NE(RegGetValueA(HKEY_CLASSES_ROOT, "*\\shellex\\ContextMenuHandlers\\Tessivar", "", RRF_RT_ANY, nullptr,
                           value, &size),
              ERROR_SUCCESS);
}

TEST_F(Languages, ALanguageValueOfAnotherTypeIsReportedAndStartUpGoesOn) {
    files.Write("Alpha.lng", FullLanguage("A"));
    ShellIntegration::Register(tk::ModuleFolder());
    DWORD number = 1;
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, Settings, "Language", REG_DWORD, &number, sizeof number);
    ASSERT_TRUE(CreateWindows());
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_TRUE(boxes.Last().StandardErrorBox);
    EXPECT_EQ(boxes.Last().Text, "Invalid data type for 'Language'");
    EXPECT_EQ(OptionsForm->CurrentLanguage, "");
    EXPECT_FALSE(OptionsForm->CheckIntegrate->Checked());
    EXPECT_EQ(WindowText(MainForm->CreateButton), "Create");
    // The next Ok applies the picked language.
    ChooseLanguage("Alpha");
    OptionsForm->OkButtonClick();
    EXPECT_EQ(WindowText(MainForm->CreateButton), "A create");
    std::string stored;
    ASSERT_TRUE(StoredLanguage(stored));
    EXPECT_EQ(stored, "Alpha");
}

TEST_F(Languages, ShippedGermanFitsItsControls) {
    files.CopyShipped("English.lng");
    files.CopyShipped("German.lng");
    files.CopyShipped("Russian.lng");
    StoreLanguage("German");
    ASSERT_TRUE(CreateWindows());
    EXPECT_TRUE(boxes.Boxes.empty());
    EXPECT_EQ(WindowText(MainForm->CreateButton), "Erstellen");
    EXPECT_EQ(WindowText(OptionsForm->Label1), "Sprache:");
    EXPECT_EQ(WindowText(MainForm->OutputFileEditBox), "*.*");
    // Room for the text besides the control's own frame or box.
    struct Fit {
        tk::Control* c;
        int extra;
    } fits[] = {
        {MainForm->Label1, 0},           {MainForm->CreateHardLinkLabel, 0}, {MainForm->CreateButton, 6},
        {MainForm->ExitButton, 6},       {MainForm->NewFolderButon, 6},      {MainForm->AboutButton, 6},
        {MainForm->HelpButton, 6},       {MainForm->MultiHardLinkButton, 6}, {MainForm->OptionsButton, 6},
        {MainForm->OutputGroupBox, 16},  {MainForm->InputGroupBox, 16},      {OptionsForm->Label1, 0},
        {OptionsForm->OkButton, 6},      {OptionsForm->CheckIntegrate, 18},
    };
    for (const Fit& f : fits) {
        std::string text = WindowText(f.c);
        HDC dc = GetDC(f.c->Handle());
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(f.c->Handle(), WM_GETFONT, 0, 0)));
        SIZE size{};
        GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
        SelectObject(dc, old);
        ReleaseDC(f.c->Handle(), dc);
        EXPECT_LE(size.cx + f.extra, f.c->Width()) << f.c->Name() << ": " << text;
    }
}
