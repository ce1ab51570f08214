// The folder edit field and the shell's real folder browser behind it.
#include "controls/BrowseFolder.h"
#include "controls/ToolEdit.h"
#include "support/GuiFixture.h"
#include "support/Windows.h"

#include <gtest/gtest.h>
#include <shellapi.h>

using namespace testsupport;

namespace {

HWND Browser() {
    for (HWND w : VisibleWindowsOf(GetCurrentProcessId()))
        if (ClassOf(w) == "#32770") return w;
    return nullptr;
}

// Acts on the shell's folder browser from inside its modal loop, as a person
// would. A step that finds the browser not ready says so and runs again at
// the next tick; a browser still up long after is cancelled, so that a
// failing test ends.
class BrowserDriver {
public:
    explicit BrowserDriver(std::function<bool(HWND)> step) {
        step_ = std::move(step);
        ticks_ = 0;
        timer_ = SetTimer(nullptr, 0, 50, Tick);
    }
    ~BrowserDriver() {
        KillTimer(nullptr, timer_);
        step_ = nullptr;
    }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        HWND dlg = Browser();
        if (!dlg) return;
        if (step_ && step_(dlg)) step_ = nullptr;
        if (++ticks_ == 100) {
            ADD_FAILURE() << "the browser did not close";
            PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
        }
    }
    static inline std::function<bool(HWND)> step_;
    static inline int ticks_ = 0;
    UINT_PTR timer_;
};

bool Press(HWND dlg, int button) { return PostMessageA(dlg, WM_COMMAND, button, 0); }
bool PressOk(HWND dlg) { return Press(dlg, IDOK); }
bool PressCancel(HWND dlg) { return Press(dlg, IDCANCEL); }

std::string SelectedInTree(HWND dlg) {
    HWND tree = FindDescendant(dlg, "SysTreeView32");
    char text[MAX_PATH] = {};
    TVITEMA item{};
    item.mask = TVIF_TEXT;
    item.hItem = TreeView_GetSelection(tree);
    item.pszText = text;
    item.cchTextMax = sizeof text;
    TreeView_GetItem(tree, &item);
    return text;
}

std::function<bool(HWND)> Choose(const std::string& folder) {
    return [folder](HWND dlg) {
        SendMessageA(dlg, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(folder.c_str()));
        SHFILEINFOA info{};
        SHGetFileInfoA(folder.c_str(), 0, &info, sizeof info, SHGFI_DISPLAYNAME);
        return SelectedInTree(dlg) == info.szDisplayName && PressOk(dlg);  // else the tree was still filling
    };
}

struct ItemList {
    LPITEMIDLIST pidl = nullptr;
    explicit ItemList(int folder) { SHGetSpecialFolderLocation(nullptr, folder, &pidl); }
    ~ItemList() { CoTaskMemFree(pidl); }
};

// A drop from the shell, as the shell allocates it.
HGLOBAL MakeDrop(const std::vector<std::string>& names) {
    std::string list;
    for (const std::string& n : names) list += n + '\0';
    list += '\0';
    HGLOBAL mem = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size());
    auto* drop = static_cast<DROPFILES*>(GlobalLock(mem));
    drop->pFiles = sizeof(DROPFILES);
    memcpy(drop + 1, list.data(), list.size());
    GlobalUnlock(mem);
    return mem;
}

class FolderField : public testing::Test {
protected:
    void SetUp() override {
        form.SetClientSize(489, 120);
        field = tk::Make<TDirectoryEdit>(&form, &form, "DirectoryOutput", {72, 16, 401, 21}, "", 0);
        field->DialogKind = dkWin32;
        field->SetNumGlyphs(1);
        form.AfterConstruction();
        SetCurrentDirectoryA(dir.Path().c_str());  // a relative "\" means C:\ from here
    }
    void TearDown() override {
        form.Hide();
        SetCurrentDirectoryA("C:\\");
    }
    void Browse(std::function<bool(HWND)> step) {
        BrowserDriver driver(std::move(step));
        field->TriggerButton();
    }
    // Alt+Down as the keyboard delivers it.
    void AltDown() {
        BYTE keys[256];
        GetKeyboardState(keys);
        BYTE alt = std::exchange(keys[VK_MENU], 0x80);
        SetKeyboardState(keys);
        SendMessageA(field->Handle(), WM_SYSKEYDOWN, VK_DOWN, 0x20000001);
        keys[VK_MENU] = alt;
        SetKeyboardState(keys);
    }

    TempDir dir;
    tk::Form form{tk::App};
    TDirectoryEdit* field = nullptr;
};

}  // namespace

TEST_F(FolderField, TheButtonWritesTheChosenFolderAndTheNextBrowseStartsThere) {
    std::string chosen = dir.MakeDir("Chosen");
    form.Show();
    HWND holder = field->ButtonHolder()->Handle();
    SendMessageA(holder, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_TRUE(field->Focused());
    EXPECT_TRUE(field->Button()->Pressed());
    {
        BrowserDriver driver(Choose(chosen));
        SendMessageA(holder, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    }
    EXPECT_EQ(field->Text(), chosen);
    EXPECT_EQ(field->InitialDir(), chosen);
    field->SetText("");
    Browse(PressOk);
    EXPECT_EQ(field->Text(), chosen);
    Browse(Choose("C:\\"));
    EXPECT_EQ(field->Text(), "C:\\");  // a drive root keeps its backslash
}

TEST_F(FolderField, ABadStartTextOpensTheBrowserAtTheRoot) {
    std::string file = dir.MakeFile("File.txt");
    for (const std::string& start : {file, dir / "Missing", "C:\\" + std::string(300, 'a'), std::string("Q:\\")}) {
        field->SetText(start);
        Browse(PressOk);
        EXPECT_EQ(field->Text(), "C:\\") << start;
    }
}

TEST_F(FolderField, CancelOrAnItemWithoutAPathChangesNothing) {
    field->SetText("typed");
    field->SetInitialDir(dir.Path());
    Browse(PressCancel);
    ItemList computer(CSIDL_DRIVES);
    bool okEnabled = true;
    EXPECT_THROW(Browse([&](HWND dlg) {
                     SendMessageA(dlg, BFFM_SETSELECTIONA, FALSE, reinterpret_cast<LPARAM>(computer.pidl));
                     okEnabled = IsWindowEnabled(GetDlgItem(dlg, IDOK));
                     return PressOk(dlg);  // past the disabled button
                 }),
                 tk::Exception);
    EXPECT_FALSE(okEnabled);
    EXPECT_EQ(field->Text(), "typed");
    EXPECT_EQ(field->InitialDir(), dir.Path());
}

TEST_F(FolderField, TheEventsAroundTheDialogAndSeveralFolders) {
    std::string a = dir.MakeDir("A"), b = dir.MakeDir("B");
    field->DialogKind = dkVCL;
    field->MultipleDirs = true;
    ModalLog shown(tk::mrOk);  // OK on the toolkit's folder window: its start folder is the choice
    std::string start = a;
    bool accept = true;
    field->OnBeforeDialog = [&](tk::Component*, std::string& name, bool& action) { action = !(name = start).empty(); };
    field->OnAfterDialog = [&](tk::Component*, std::string&, bool& action) { action = action && accept; };
    field->SetText("C:\\x;junk");
    SendMessageA(field->Handle(), EM_SETSEL, 4, 9);
    field->TriggerButton();
    EXPECT_EQ(field->Text(), "C:\\x;" + a);  // the selection gave way first
    start = b;
    accept = false;
    field->TriggerButton();
    EXPECT_EQ(field->Text(), "C:\\x;" + a);
    EXPECT_EQ(field->InitialDir(), a);
    start.clear();  // cancelled before any dialog
    field->TriggerButton();
    EXPECT_EQ(shown.Shown.size(), 2u);
}

TEST_F(FolderField, AltDownOpensTheBrowserWhileTheFieldMayUseIt) {
    int opened = 0;
    field->OnButtonClick = [&] { ++opened; };
    auto altDownCancelled = [&] {
        BrowserDriver driver(PressCancel);
        AltDown();
    };
    altDownCancelled();
    field->SetReadOnly(true);
    AltDown();
    EXPECT_EQ(opened, 1);
    field->SetReadOnly(false);
    field->SetButtonWidth(1);  // no button to see, the key still works
    EXPECT_FALSE(IsWindowVisible(field->ButtonHolder()->Handle()));
    altDownCancelled();
    field->SetButtonWidth(0);
    AltDown();
    EXPECT_EQ(opened, 2);
}

TEST_F(FolderField, TheTextNeverRunsUnderTheButton) {
    auto check = [&](const char* after) {
        RECT text, client, holder;
        SendMessageA(field->Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&text));
        GetClientRect(field->Handle(), &client);
        GetWindowRect(field->ButtonHolder()->Handle(), &holder);
        MapWindowPoints(nullptr, field->Handle(), reinterpret_cast<POINT*>(&holder), 2);
        EXPECT_LE(text.right, holder.left) << after;
        EXPECT_EQ((std::vector<LONG>{holder.top, holder.right, holder.bottom}),
                  (std::vector<LONG>{0, client.right, client.bottom})) << after;
    };
    check("creation");
    field->GetFont()->SetHeight(-20);
    check("a font change");
    field->SetBounds(10, 10, 200, 40);
    check("a resize");
    field->SetButtonWidth(40);
    check("a wider button");
    field->SetBounds(10, 10, 200, 5);
    EXPECT_EQ(field->Height(), field->MinimumHeight());
    EXPECT_GT(field->Height(), 5);
}

TEST_F(FolderField, KeysAndTheClipboardFollowTheFormReadOnlyAndDirectInput) {
    form.Show();
    auto* other = tk::Make<tk::Button>(&form, &form, "Other", {8, 60, 75, 25}, "OK", 1);
    auto press = [&](WORD key) {
        PostMessageA(GetFocus(), WM_KEYDOWN, key, 1);
        PostMessageA(GetFocus(), WM_KEYUP, key, 0xC0000001);
        tk::App->ProcessMessages();
    };
    field->SetText("C:\\x");
    field->SetFocus();
    press(VK_RETURN);  // no default button: nothing happens, no line break
    press(VK_ESCAPE);  // no cancel button: the form stays
    SendMessageA(field->Handle(), WM_CHAR, '\n', 1);  // Ctrl+Enter
    EXPECT_EQ(field->Text(), "C:\\x");
    EXPECT_TRUE(IsWindowVisible(form.Handle()));
    int clicks = 0;
    other->Default = other->Cancel = true;
    other->OnClick = [&] { ++clicks; };
    press(VK_RETURN);
    press(VK_ESCAPE);
    EXPECT_EQ(clicks, 2);
    press(VK_TAB);
    EXPECT_TRUE(other->Focused());

    const char pasted[] = "C:\\pasted\r\nsecond line";
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, sizeof pasted);
    memcpy(GlobalLock(mem), pasted, sizeof pasted);
    GlobalUnlock(mem);
    ASSERT_TRUE(OpenClipboard(form.Handle()) && EmptyClipboard() && SetClipboardData(CF_TEXT, mem) && CloseClipboard());
    int buttonRuns = 0;
    field->OnBeforeDialog = [&](tk::Component*, std::string&, bool& action) { action = ++buttonRuns < 0; };
    struct {
        bool readOnly, directInput, editable, button;
    } cases[] = {{false, true, true, true}, {false, false, false, true}, {true, true, false, false}};
    for (const auto& c : cases) {
        field->SetReadOnly(c.readOnly);
        field->SetDirectInput(c.directInput);
        field->SetText("ab");
        other->SetFocus();
        field->SetFocus();  // from the keyboard: all selected where it may be typed over
        DWORD end = 0;
        SendMessageA(field->Handle(), EM_GETSEL, 0, reinterpret_cast<LPARAM>(&end));
        EXPECT_EQ(end, c.directInput ? 2u : 0u) << c.readOnly << c.directInput;
        field->SelectAll();
        SendMessageA(field->Handle(), WM_PASTE, 0, 0);
        EXPECT_EQ(field->Text(), c.editable ? "C:\\pasted" : "ab") << c.readOnly << c.directInput;
        field->SelectAll();
        SendMessageA(field->Handle(), WM_CUT, 0, 0);
        SendMessageA(field->Handle(), WM_CHAR, 'x', 1);
        EXPECT_EQ(field->Text(), c.editable ? "x" : "ab") << c.readOnly << c.directInput;
        int before = buttonRuns;
        field->TriggerButton();
        EXPECT_EQ(buttonRuns - before, c.button ? 1 : 0) << c.readOnly << c.directInput;
    }
}

TEST_F(FolderField, DroppedNamesGiveFoldersAndTheDropIsAlwaysReleased) {
    std::string sub = dir.MakeDir("Sub"), other = dir.MakeDir("Other"), file = dir.MakeFile("File.txt");
    std::string folderOfFile = dir.Path() + "\\", longName = dir / std::string(280, 'n');
    struct {
        bool accept, multiple;
        std::string start;
        std::vector<std::string> names;
        std::string text;
    } cases[] = {
        {true, false, "old", {file}, folderOfFile},
        {true, false, "old", {sub}, sub},
        {true, false, "old", {sub, other}, sub},
        {true, true, "old", {sub, file}, "old;" + sub + ";" + folderOfFile},
        {true, true, "", {sub, other}, sub + ";" + other},
        {true, false, "old", {longName}, longName},  // read whole, not cut to a different folder
        {true, false, "old", {}, "old"},
        {false, false, "old", {sub}, "old"},
    };
    for (const auto& c : cases) {
        field->SetAcceptFiles(c.accept);
        EXPECT_EQ((GetWindowLongPtrA(field->Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0, c.accept);
        field->MultipleDirs = c.multiple;
        field->SetText(c.start);
        int drops = 0;
        field->OnDropFiles = [&] { ++drops; };
        HGLOBAL drop = MakeDrop(c.names);
        EXPECT_EQ(SendMessageA(field->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0), 0);
        EXPECT_EQ(field->Text(), c.text) << c.names.size();
        EXPECT_EQ(drops, c.accept && !c.names.empty() ? 1 : 0) << c.names.size();
        EXPECT_EQ(GlobalSize(drop), 0u) << "the drop was not released";
    }
    field->SetAcceptFiles(true);
    field->RecreateWnd();
    EXPECT_TRUE(GetWindowLongPtrA(field->Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
}

TEST_F(FolderField, TheErrorModeIsQuietOnlyWhileADialogIsOpenEvenWhenItFails) {
    UINT original = SetErrorMode(SEM_NOGPFAULTERRORBOX);
    const UINT quiet = SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX;
    UINT during = 0;
    Browse([&](HWND dlg) {
        during = GetErrorMode();
        return PressCancel(dlg);
    });
    EXPECT_EQ(during, quiet);
    EXPECT_EQ(GetErrorMode(), static_cast<UINT>(SEM_NOGPFAULTERRORBOX));
    field->DialogKind = dkVCL;
    during = 0;
    tk::App->ModalResponder = [&](tk::Form&) -> int {
        during = GetErrorMode();
        throw tk::Exception("broken");
    };
    EXPECT_THROW(field->TriggerButton(), tk::Exception);
    tk::App->ModalResponder = nullptr;
    EXPECT_EQ(during, quiet);
    EXPECT_EQ(GetErrorMode(), static_cast<UINT>(SEM_NOGPFAULTERRORBOX));
    SetErrorMode(original);
}

TEST(BrowseFolderDlg, ModalCentredWithTextHelpAndOkOnlyOnFolders) {
    TempDir dir;
    tk::Form other(tk::App);
    other.AfterConstruction();
    other.Show();
    TBrowseFolderDlg dlg(tk::App);
    dlg.SetDialogText("Choose input folder:");
    dlg.SetFolderName(dir.Path());
    dlg.HelpContext = 7;
    int initialized = 0;
    dlg.OnInitialized = [&] { ++initialized; };
    ItemList computer(CSIDL_DRIVES);
    BrowserDriver driver([&](HWND w) {
        EXPECT_EQ(dlg.Handle(), w);
        EXPECT_FALSE(IsWindowEnabled(other.Handle()));
        RECT r, ok, help;
        GetWindowRect(w, &r);
        EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2);
        std::vector<std::string> texts = TextsOf(w, "Static");
        EXPECT_NE(std::find(texts.begin(), texts.end(), "Choose input folder:"), texts.end());
        GetWindowRect(GetDlgItem(w, IDOK), &ok);
        GetWindowRect(FindDescendant(w, "Button", "&Help"), &help);
        EXPECT_EQ((std::vector<LONG>{help.top, help.bottom}), (std::vector<LONG>{ok.top, ok.bottom}));
        MapWindowPoints(nullptr, w, reinterpret_cast<POINT*>(&help), 2);
        EXPECT_EQ(help.left, 12);
        EXPECT_EQ(dlg.Selection(), dir.Path());
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(w, IDOK)));
        SendMessageA(w, BFFM_SETSELECTIONA, FALSE, reinterpret_cast<LPARAM>(computer.pidl));
        EXPECT_EQ(dlg.Selection(), "");
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(w, IDOK)));
        return PressCancel(w);
    });
    EXPECT_FALSE(dlg.Execute());
    EXPECT_EQ(initialized, 1);
    EXPECT_EQ(dlg.FolderName(), dir.Path());
    EXPECT_EQ(dlg.Handle(), nullptr);
    EXPECT_TRUE(IsWindowEnabled(other.Handle()));
}
