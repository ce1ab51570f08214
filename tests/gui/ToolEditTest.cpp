// The folder edit field and the shell's real folder browser behind it.
#include "controls/BrowseFolder.h"
#include "controls/ToolEdit.h"
#include "support/GuiFixture.h"
#include "support/Script.h"
#include "support/Windows.h"

#include <gtest/gtest.h>
#include <shellapi.h>

using namespace testsupport;

namespace {

bool PressOk(HWND dlg) { return Press(dlg, IDOK); }

// Selects a subfolder and presses OK once the tree shows it selected.
std::function<bool(HWND)> Choose(const std::string& folder) {
    return [folder](HWND dlg) {
        SendMessageA(dlg, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(folder.c_str()));
        HWND tree = FindDescendant(dlg, "SysTreeView32");
        char text[MAX_PATH] = {};
        TVITEMA item{TVIF_TEXT, TreeView_GetSelection(tree), 0, 0, text, MAX_PATH, 0, 0, 0, 0};
        return TreeView_GetItem(tree, &item) && text == tk::ExtractFileName(folder) && PressOk(dlg);
    };
}

// My Computer: an item without a file-system path.
tk::CoTaskMem Computer() {
    LPITEMIDLIST pidl = nullptr;
    SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &pidl);
    return tk::CoTaskMem(pidl);
}

void PutOnClipboard(HWND owner, UINT format, const void* data, size_t size) {
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, size);
    memcpy(GlobalLock(mem), data, size);
    GlobalUnlock(mem);
    ASSERT_TRUE(OpenClipboard(owner) && EmptyClipboard() && SetClipboardData(format, mem) && CloseClipboard());
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
    void Browse(std::function<bool(HWND)> act) {
        Script s({OnDialog(std::move(act))});
        field->TriggerButton();
    }
    TempDir dir;
    tk::Form form{tk::App};
    TDirectoryEdit* field = nullptr;
};

}  // namespace

TEST_F(FolderField, TheButtonWritesOrAddsTheChosenFolderTheNextBrowseStartsThereCancelChangesNothing) {
    // A name longer than MAX_PATH in UTF-8, not in UTF-16: chosen exactly.
    std::string name = "ж-😀-";
    for (int i = 0; i < 78; ++i) name += "日";
    const std::string chosen = dir.MakeDir(name);
    form.Show();
    HWND holder = field->ButtonHolder()->Handle();
    SendMessageA(holder, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    {
        Script s({OnDialog(Choose(chosen))});
        SendMessageA(holder, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    }
    EXPECT_EQ(field->Text(), chosen);
    field->SetText("");
    Browse(PressOk);
    EXPECT_EQ(field->Text(), chosen);
    // The root keeps its backslash: "C:" would be the current folder.
    for (const std::string& start : {dir.MakeFile("File.txt"), dir / "Missing", "C:\\" + std::string(300, 'a'), std::string("Q:\\")}) {
        field->SetText(start);
        Browse(PressOk);
        EXPECT_EQ(field->Text(), "C:\\") << start;
    }
    // Cancel, or an item without a path, changes nothing; the error mode comes back.
    const UINT original = SetErrorMode(SEM_NOGPFAULTERRORBOX);
    field->SetText("typed");
    field->SetInitialDir(dir.Path());
    Browse([](HWND dlg) { return Press(dlg, IDCANCEL); });
    tk::CoTaskMem computer = Computer();
    UINT during = 0;
    EXPECT_THROW(Browse([&](HWND dlg) {
                     during = GetErrorMode();
                     SendMessageA(dlg, BFFM_SETSELECTIONA, FALSE, reinterpret_cast<LPARAM>(computer.get()));
                     return PressOk(dlg);  // past the disabled button
                 }),
                 tk::Exception);
    EXPECT_EQ(during, static_cast<UINT>(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX));
    EXPECT_EQ(GetErrorMode(), static_cast<UINT>(SEM_NOGPFAULTERRORBOX));
    SetErrorMode(original);
    EXPECT_EQ(field->Text(), "typed");
    EXPECT_EQ(field->InitialDir(), dir.Path());
    // Several folders: the chosen one joins what was typed, the field focused or not.
    field->MultipleDirs = true;
    for (bool focused : {false, true}) {
        SetFocus(focused ? field->Handle() : form.Handle());
        field->SetText("C:\\x");
        SendMessageA(field->Handle(), EM_SETSEL, 4, 4);
        SendMessageA(holder, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        Script s({OnDialog(Choose(chosen))});
        SendMessageA(holder, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        EXPECT_EQ(field->Text(), "C:\\x;" + chosen) << focused;
    }
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

TEST_F(FolderField, TheTextNeverRunsUnderTheButton) {
    const std::pair<const char*, std::function<void()>> changes[] = {
        {"creation", [] {}},
        {"a font change", [&] { field->GetFont()->SetHeight(-20); }},
        {"a resize", [&] { field->SetBounds(10, 10, 200, 40); }},
        {"a wider button", [&] { field->SetButtonWidth(40); }}};
    for (const auto& [after, change] : changes) {
        change();
        RECT text, client, holder;
        SendMessageA(field->Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&text));
        GetClientRect(field->Handle(), &client);
        GetWindowRect(field->ButtonHolder()->Handle(), &holder);
        MapWindowPoints(nullptr, field->Handle(), reinterpret_cast<POINT*>(&holder), 2);
        EXPECT_LE(text.right, holder.left) << after;
        EXPECT_EQ((std::vector<LONG>{holder.top, holder.right, holder.bottom}), (std::vector<LONG>{0, client.right, client.bottom})) << after;
    }
    field->SetBounds(10, 10, 200, 5);
    EXPECT_EQ(field->Height(), field->MinimumHeight());
    EXPECT_GT(field->Height(), 5);
}

TEST_F(FolderField, KeysClipboardAndAltDownFollowTheFormReadOnlyDirectInputAndTheButton) {
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
    PutOnClipboard(form.Handle(), CF_TEXT, pasted, sizeof pasted);
    int runs = 0;
    field->OnBeforeDialog = [&](tk::Component*, std::string&, bool& action) { action = ++runs < 0; };
    struct { bool readOnly, directInput; int buttonWidth; bool editable, altDown; } cases[] = {{false, true, 21, true, true},
                 {false, false, 1, false, true},  // no button to see, the key still works
                 {true, true, 21, false, false},
                 {false, true, 0, true, false}};
    for (const auto& c : cases) {
        field->SetReadOnly(c.readOnly);
        field->SetDirectInput(c.directInput);
        field->SetButtonWidth(c.buttonWidth);
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
        // Alt+Down as the keyboard delivers it.
        runs = 0;
        BYTE keys[256];
        GetKeyboardState(keys);
        const BYTE alt = std::exchange(keys[VK_MENU], 0x80);
        SetKeyboardState(keys);
        SendMessageA(field->Handle(), WM_SYSKEYDOWN, VK_DOWN, 0x20000001);
        keys[VK_MENU] = alt;
        SetKeyboardState(keys);
        EXPECT_EQ(runs, c.altDown ? 1 : 0) << c.readOnly << c.buttonWidth;
    }
}

TEST_F(FolderField, EveryWayOfPastingTakesTheFirstLine) {
    form.Show();
    SetForegroundWindow(form.Handle());
    const wchar_t pasted[] = L"C:\\pasted\r\nsecond line";
    PutOnClipboard(form.Handle(), CF_UNICODETEXT, pasted, sizeof pasted);
    // As the keyboard delivers it: Wine's multi-line edit does not paste on it.
    auto shiftInsert = [] {
        INPUT in[4] = {};
        const WORD keys[4] = {VK_SHIFT, VK_INSERT, VK_INSERT, VK_SHIFT};
        for (int i = 0; i < 4; ++i) {
            in[i].type = INPUT_KEYBOARD;
            in[i].ki.wVk = keys[i];
            in[i].ki.dwFlags = i < 2 ? 0 : KEYEVENTF_KEYUP;
        }
        SendInput(4, in, sizeof(INPUT));
    };
    auto contextMenu = [&] {
        PostMessageA(field->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(field->Handle()), MAKELPARAM(100, 100));
        Script s({[] { return IsWindowVisible(FindWindowA("#32768", nullptr)) && (Keys({'P'}), true); }, Pause()});
        for (int i = 0; i < 30 && field->Text() == "ab"; ++i) {
            tk::App->ProcessMessages();
            Sleep(50);
        }
    };
    const std::pair<const char*, std::function<void()>> ways[] = {
        {"WM_PASTE", [&] { SendMessageA(field->Handle(), WM_PASTE, 0, 0); }},
        {"Shift+Insert", shiftInsert},
        {"the context menu", contextMenu}};
    for (const auto& [way, paste] : ways) {
        field->SetText("ab");
        field->SetFocus();
        SendMessageA(field->Handle(), EM_SETSEL, 1, 1);
        paste();
        for (int i = 0; i < 10; ++i) tk::App->ProcessMessages();
        EXPECT_EQ(field->Text(), "aC:\\pastedb") << way;
    }
}

TEST_F(FolderField, DroppedNamesGiveFoldersAndTheDropIsAlwaysReleased) {
    std::string sub = dir.MakeDir("Sub"), other = dir.MakeDir("Other"), file = dir.MakeFile("File.txt");
    std::string folderOfFile = dir.Path() + "\\", longName = dir / std::string(280, 'n'), unicode = dir / "日本-ж-😀";
    struct { bool accept, multiple; std::string start; std::vector<std::string> names; std::string text; } cases[] = {
        {true, false, "old", {file}, folderOfFile},
        {true, false, "old", {sub, other}, sub},
        {true, true, "old", {sub, file}, "old;" + sub + ";" + folderOfFile},
        {true, true, "", {sub, other}, sub + ";" + other},
        {true, false, "old", {longName}, longName},  // read whole, not cut to a different folder
        {true, false, "old", {unicode}, unicode},
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
    // A name without an exact form here is refused by name, never taken as a look-alike.
    MessageLog log;
    HGLOBAL drop = MakeDrop(std::vector<std::wstring>{Wide(dir / "half-") + L"\xD800.txt"});
    SendMessageA(field->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
    EXPECT_EQ(field->Text(), "old");
    ASSERT_EQ(log.Boxes.size(), 1u);
    EXPECT_NE(log.Last().Text.find(dir / "half-"), std::string::npos) << log.Last().Text;
    EXPECT_EQ(GlobalSize(drop), 0u) << "the drop was not released";
}

TEST(BrowseFolderDlg, ModalCentredWithHelpAndTheSelectionOnlyAFolder) {
    TempDir dir;
    tk::Form other(tk::App);
    other.AfterConstruction();
    other.Show();
    TBrowseFolderDlg dlg(tk::App);
    dlg.SetFolderName(dir.Path());
    dlg.HelpContext = 7;
    tk::CoTaskMem computer = Computer();
    Script s({OnDialog([&](HWND w) {
        EXPECT_EQ(dlg.Handle(), w);
        EXPECT_FALSE(IsWindowEnabled(other.Handle()));
        RECT r, ok, help{};
        GetWindowRect(w, &r);
        EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2);
        GetWindowRect(GetDlgItem(w, IDOK), &ok);
        GetWindowRect(FindDescendant(w, "Button", "&Help"), &help);
        EXPECT_EQ(help.top, ok.top);
        EXPECT_EQ(dlg.Selection(), dir.Path());
        SendMessageA(w, BFFM_SETSELECTIONA, FALSE, reinterpret_cast<LPARAM>(computer.get()));
        EXPECT_EQ(dlg.Selection(), "");
        return Press(w, IDCANCEL);
    })});
    EXPECT_FALSE(dlg.Execute());
    EXPECT_EQ(dlg.FolderName(), dir.Path());
    EXPECT_EQ(dlg.Handle(), nullptr);
    EXPECT_TRUE(IsWindowEnabled(other.Handle()));
}
