#include "filedialog/ApAddPlaceForm.h"
#include "filedialog/ApOpenDlg.h"
#include "filedialog/ApPlacesBarForm.h"
#include "support/GuiFixture.h"
#include "support/RawRegistry.h"
#include "support/Script.h"
#include "support/Windows.h"

#include <gtest/gtest.h>
#include <shlobj.h>

using namespace testsupport;

namespace {

const std::string kTestKey = "Software\\Quenmoor\\Tests\\PlacesBar";

TApPlacesBarFrm* BarOf(const TApCustomOpenDialog& d) {
    for (HWND w = GetWindow(d.DialogHandle(), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
        if (auto* bar = dynamic_cast<TApPlacesBarFrm*>(tk::Control::FromHandle(w))) return bar;
    return nullptr;
}

// Presses and releases the left button over a place button, as a hand does.
void Click(TApPlaceButton* b) {
    const HWND bar = b->GetToolBar()->Handle();
    const LPARAM at = MAKELPARAM(b->Left() + b->Width() / 2, b->Top() + b->Height() / 2);
    SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(bar, WM_LBUTTONUP, 0, at);
}

std::string SpecialPath(int csidl) {
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

std::string WithoutSlash(std::string s) {
    if (s.size() > 3 && s.back() == '\\') s.pop_back();
    return s;
}

std::vector<std::string> Captions(TApPlacesBarFrm* bar) {
    std::vector<std::string> out;
    for (int i = 0; i < bar->ButtonCount(); ++i) out.push_back(bar->Buttons(i)->Caption());
    return out;
}

int PressedButton(TApPlacesBarFrm* bar) {
    for (int i = 0; i < bar->ButtonCount(); ++i)
        if (bar->Buttons(i)->Down()) return i;
    return -1;
}

class PlacesBar : public testing::Test {
protected:
    PlacesBar() {
        dir.MakeDir("alpha");
        dir.MakeFile("note.txt");
        dialog.InitialDir = dir.Path();
        dialog.PlacesBar()->Visible = true;
        dialog.PlacesBar()->Native = false;
        RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey.c_str());
    }
    ~PlacesBar() override { RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey.c_str()); }
    TApPlace* Add(const std::string& name, const std::string& path, TApSpecShellFolder folder = ftNone) {
        TApPlace* p = dialog.PlacesBar()->Places()->AddPlace();
        p->SetPlaceName(name);
        p->SetPlacePath(path);
        p->PlaceSpecPath = folder;
        return p;
    }
    Script::Step Opened() {
        return [this] { return dialog.DialogHandle() && IsWindowVisible(dialog.DialogHandle()) && BarOf(dialog); };
    }
    Script::Step Close() {
        return Check([this] { PostMessageA(dialog.DialogHandle(), WM_COMMAND, IDCANCEL, 0); });
    }
    // Clicks a place and waits until the dialog shows the folder.
    Script::Step Visit(int place, std::string folder) {
        return [this, place, folder, clicked = std::make_shared<bool>(false)] {
            if (!*clicked) Click(BarOf(dialog)->Buttons(place));
            *clicked = true;
            return tk::SameText(WithoutSlash(dialog.CurrentFolderPath()), WithoutSlash(folder));
        };
    }
    TempDir dir;
    TApOpenDialog dialog{tk::App};
};

}  // namespace

TEST_F(PlacesBar, ShowsItsPlacesNavigatesEveryKindAndPressesTheCurrentFolder) {
    RawSetString(HKEY_CURRENT_USER, kTestKey, "Target", dir / "alpha");
    Add("Home", dir.Path());
    Add("Alpha", dir / "alpha");
    Add("Note", dir / "note.txt");
    Add("Gone", dir / "gone");
    Add("By registry", "")->SetPlaceRegPath("\\" + kTestKey + "\\Target");
    Add("Documents", "", ftPersonal);
    Add("Desktop", "", ftDesktop);
    MessageLog boxes;
    TApPlacesBarFrm* bar = nullptr;
    RECT bounds{};
    std::vector<int> pressed;
    std::vector<std::string> captions;
    std::vector<RECT> buttons;
    LRESULT scroll = 0;
    std::string nameField;
    const std::string documents = SpecialPath(CSIDL_PERSONAL), desktop = SpecialPath(CSIDL_DESKTOPDIRECTORY);
    Script s({Opened(), Check([&] {
                  bar = BarOf(dialog);
                  GetWindowRect(bar->Handle(), &bounds);
                  MapWindowPoints(nullptr, dialog.DialogHandle(), reinterpret_cast<POINT*>(&bounds), 2);
                  pressed.push_back(PressedButton(bar));
                  captions = Captions(bar);
                  for (int i = 0; i < bar->ButtonCount(); ++i) buttons.push_back(bar->Buttons(i)->ScreenRect());
                  scroll = SendMessageA(bar->ps1->Handle(), PGM_GETBUTTONSTATE, 0, PGB_BOTTOMORRIGHT);
              }),
              Visit(1, dir / "alpha"), Check([&] { pressed.push_back(PressedButton(bar)); }),
              Visit(2, dir.Path()), Check([&] { nameField = TextOf(dialog.FileNameField()); }),
              Visit(3, dir.Path()), Visit(4, dir / "alpha"), Visit(5, documents),
              Check([&] { pressed.push_back(PressedButton(bar)); }), Visit(6, desktop),
              Check([&] { pressed.push_back(PressedButton(bar)); }),
              // A folder that is no place: no button stays pressed.
              [&] {
                  dialog.NavigateTo(dir.MakeDir("beta"));
                  return tk::SameText(dialog.CurrentFolderPath(), dir / "beta");
              },
              Check([&] { pressed.push_back(PressedButton(bar)); }), Close()});
    dialog.Execute();
    EXPECT_EQ((std::vector<LONG>{bounds.left, bounds.top, bounds.right - bounds.left}), (std::vector<LONG>{4, 33, 87}));
    EXPECT_EQ(captions, (std::vector<std::string>{"Home", "Alpha", "Note", "Gone", "By registry", "Documents", "Desktop"}));
    // A column of equal buttons, longer than the bar: it scrolls.
    for (size_t i = 0; i < buttons.size(); ++i)
        EXPECT_EQ((std::vector<LONG>{buttons[i].left, buttons[i].top, buttons[i].right, buttons[i].bottom}),
                  (std::vector<LONG>{buttons[0].left, buttons[0].top + 49 * LONG(i), buttons[0].left + 87,
                                     buttons[0].top + 49 * LONG(i + 1)}));
    EXPECT_EQ(scroll, PGF_NORMAL);
    EXPECT_EQ(nameField, "note.txt");
    EXPECT_EQ(pressed, (std::vector<int>{0, 1, 5, 6, -1}));
    EXPECT_TRUE(boxes.Boxes.empty());
}

namespace {

void Keys(std::initializer_list<WORD> keys) {
    std::vector<INPUT> in;
    for (WORD vk : keys)
        for (DWORD up : {DWORD{0}, DWORD{KEYEVENTF_KEYUP}}) {
            INPUT i{};
            i.type = INPUT_KEYBOARD;
            i.ki.wVk = vk;
            i.ki.dwFlags = up;
            in.push_back(i);
        }
    SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

// Presses the left button over one place button, moves to another and
// releases it there.
void Drag(TApPlaceButton* from, TApPlaceButton* to) {
    auto centre = [](TApPlaceButton* b) {
        RECT r = b->ScreenRect();
        return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    };
    POINT a = centre(from), b = centre(to);
    std::vector<INPUT> in;
    auto mouse = [&](POINT p, DWORD flags) {
        INPUT i{};
        i.type = INPUT_MOUSE;
        i.mi.dx = p.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
        i.mi.dy = p.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
        i.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        in.push_back(i);
    };
    mouse(a, 0);
    mouse(a, MOUSEEVENTF_LEFTDOWN);
    mouse({a.x, a.y + 10}, 0);
    mouse(b, 0);
    mouse(b, MOUSEEVENTF_LEFTUP);
    SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

// Opens the bar's menu over a button and picks its nth command.
Script::Step Menu(TApCustomOpenDialog& d, int button, int command) {
    return [&d, button, command, opened = std::make_shared<bool>(false)] {
        if (!*opened) {
            RECT r = BarOf(d)->Buttons(button)->ScreenRect();
            PostMessageA(BarOf(d)->ToolBar1->Handle(), WM_CONTEXTMENU,
                         reinterpret_cast<WPARAM>(BarOf(d)->ToolBar1->Handle()), MAKELPARAM(r.left + 5, r.top + 5));
            *opened = true;
            return false;
        }
        HWND menu = FindWindowA("#32768", nullptr);
        if (!menu || !IsWindowVisible(menu)) return false;
        std::vector<WORD> keys(static_cast<size_t>(command + 1), VK_DOWN);
        keys.push_back(VK_RETURN);
        for (WORD k : keys) Keys({k});
        return true;
    };
}

HGLOBAL DropOf(const std::vector<std::string>& names) {
    std::string list;
    for (const std::string& n : names) list += n + '\0';
    list += '\0';
    HGLOBAL mem = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size());
    auto* drop = static_cast<DROPFILES*>(GlobalLock(mem));
    drop->pFiles = sizeof(DROPFILES);
    memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), list.data(), list.size());
    GlobalUnlock(mem);
    return mem;
}

std::vector<std::string> Names(const TApPlaces& places) {
    std::vector<std::string> out;
    for (int i = 0; i < places.Count(); ++i) out.push_back(places.Items(i)->PlaceName());
    return out;
}

}  // namespace

TEST_F(PlacesBar, DragDeletePropertiesAndDropsEditThePlacesAndTeardownStoresThem) {
    dialog.PlacesBar()->SetRegistryKey(kTestKey);
    RawSetString(HKEY_CURRENT_USER, kTestKey, "Stale", "");
    for (const char* name : {"Home", "Alpha", "Note", "Gone"}) Add(name, dir / name);
    TApPlaces& places = *dialog.PlacesBar()->Places();
    MessageLog boxes;
    boxes.Answers = {IDYES};
    std::vector<std::string> shown;
    std::vector<int> answers = {tk::mrOk, tk::mrOk, tk::mrCancel};
    tk::App->ModalResponder = [&](tk::Form& f) {
        auto& w = static_cast<TApAddPlaceFrm&>(f);
        shown.push_back(w.eShort->Text() + (w.Place ? " (edit)" : " (new)"));
        if (w.Place) w.eShort->SetText("Home, renamed");
        const int answer = answers.front();
        answers.erase(answers.begin());
        if (answer == tk::mrOk) w.Button1Click();
        return answer;
    };
    std::vector<std::vector<std::string>> orders;
    std::string renamed;
    Script s({Opened(), Check([&] { Drag(BarOf(dialog)->Buttons(0), BarOf(dialog)->Buttons(2)); }),
              [&] { return Names(places)[2] == "Home"; }, Check([&] { orders.push_back(Captions(BarOf(dialog))); }),
              Menu(dialog, 0, 0), [&] { return places.Count() == 3; },
              Check([&] { orders.push_back(Captions(BarOf(dialog))); }), Menu(dialog, 1, 1),
              [&] { return shown.size() == 1; }, Pause(), Check([&] {
                  renamed = BarOf(dialog)->Buttons(1)->Caption();
                  HGLOBAL drop = DropOf({dir / "alpha", dir / "note.txt"});
                  SendMessageA(BarOf(dialog)->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
                  orders.push_back(Captions(BarOf(dialog)));
              }),
              Close()});
    dialog.Execute();
    tk::App->ModalResponder = nullptr;
    ASSERT_EQ(orders.size(), 3u);
    EXPECT_EQ(orders[0], (std::vector<std::string>{"Alpha", "Note", "Home", "Gone"}));
    EXPECT_EQ(orders[1], (std::vector<std::string>{"Note", "Home", "Gone"}));
    // The question, then the edited place's empty icon library.
    ASSERT_EQ(boxes.Boxes.size(), 2u);
    EXPECT_EQ(boxes.Boxes[0].Caption, "Place bar");
    EXPECT_EQ(boxes.Boxes[0].Text, "Are you sure you want to delete this place?\rPlace: Alpha");
    EXPECT_EQ(boxes.Boxes[0].Type, tk::MsgDlgType::Confirmation);
    EXPECT_EQ(boxes.Boxes[1].Text, "No icons were found in the file");
    EXPECT_EQ(renamed, "Home, renamed");
    EXPECT_EQ(shown, (std::vector<std::string>{"Home (edit)", "alpha (new)", "note.txt (new)"}));
    EXPECT_EQ(orders[2], (std::vector<std::string>{"Note", "Home, renamed", "Gone", "alpha"}));
    const TApPlace& dropped = *places.Items(3);
    EXPECT_EQ(dropped.PlacePath(), dir / "alpha");
    EXPECT_EQ(dropped.PlaceIconDll(), "Shell32.dll");
    EXPECT_EQ((std::pair{dropped.PlaceIcon, dropped.PlaceHotIcon}), (std::pair{3, 4}));
    // Stored at teardown, one subkey per place.
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(RawKeyExists(HKEY_CURRENT_USER, kTestKey + "\\Place_" + std::to_string(i)), i < 4) << i;
    EXPECT_EQ(RawValue(HKEY_CURRENT_USER, kTestKey + "\\Place_1", "Name"), "Home, renamed");
}

TEST(AddPlaceWindow, FillsFromAPlaceKeepsItsIconsOnABadLibraryAndOkWritesEveryField) {
    TempDir dir;
    TApPlaces places;
    TApPlace* p = places.AddPlace();
    p->SetPlaceName("stored");
    p->SetPlaceRegPath("\\Software\\Quenmoor\\Tests\\Where");
    p->SetPlaceDesc("hint");
    p->SetPlaceIconDll("shell32.dll");
    p->PlaceIcon = 7;
    p->PlaceHotIcon = 9;
    p->AutoCaption = true;
    TApAddPlaceFrm w(tk::App);
    w.AfterConstruction();
    w.Places = &places;
    w.Place = p;
    w.FillFromPlace(*p);
    EXPECT_EQ(w.eShort->Text(), "Where");
    EXPECT_FALSE(w.eShort->Enabled());
    EXPECT_EQ(w.cbTargetType->GetText(), "Registry value");
    EXPECT_EQ(w.ePath->GetText(), p->PlaceRegPath());
    EXPECT_EQ(w.eHint->Text(), "hint");
    EXPECT_EQ((std::vector<int>{w.dg1->Col(), w.dg1->LeftCol(), w.dg2->Col()}), (std::vector<int>{7, 7, 9}));
    const int icons = w.dg1->ColCount();
    EXPECT_GT(icons, 12);

    MessageLog boxes;
    w.eIconLib->SetText(dir / "missing.dll");
    w.btnShowIconsClick();
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Last().Text, "No icons were found in the file");
    EXPECT_EQ(boxes.Last().Caption, "New place - Icon library");
    EXPECT_EQ(boxes.Last().Type, tk::MsgDlgType::Error);
    EXPECT_EQ(w.eIconLib->Text(), "shell32.dll");
    EXPECT_EQ((std::vector<int>{w.dg1->ColCount(), w.dg1->Col()}), (std::vector<int>{icons, 7}));

    // The user picks a special folder: the target becomes a list of the four.
    w.cbTargetType->SetItemIndex(1);
    Notify(w.cbTargetType, CBN_SELCHANGE);
    EXPECT_EQ(w.ePath->Style, tk::ComboStyle::DropDownList);
    EXPECT_EQ(w.ePath->Items()->ToVector(), ApSupportedFolderCaptions());
    w.ePath->SetItemIndex(2);
    w.chkAutoCap->SetChecked(false);
    Notify(w.chkAutoCap, BN_CLICKED);
    EXPECT_TRUE(w.eShort->Enabled());
    w.eShort->SetText("Docs");
    w.eHint->SetText("h2");
    w.dg1->SetCol(11);
    w.dg2->SetCol(12);
    w.Button1->Click();
    EXPECT_EQ(places.Count(), 1);
    EXPECT_EQ((std::vector<std::string>{p->PlaceName(), p->PlaceDesc(), p->PlacePath(), p->PlaceRegPath(), p->PlaceIconDll()}),
              (std::vector<std::string>{"Docs", "h2", "", "", "shell32.dll"}));
    EXPECT_EQ((std::vector<int>{p->PlaceSpecPath, p->PlaceIcon, p->PlaceHotIcon, p->AutoCaption}),
              (std::vector<int>{ftPersonal, 11, 12, false}));

    // A dropped file: a new path place with the library's first icon.
    w.Place = nullptr;
    w.FillFromName(dir.MakeFile("file.txt"));
    EXPECT_EQ(w.ePath->Style, tk::ComboStyle::Simple);
    w.Button1->Click();
    ASSERT_EQ(places.Count(), 2);
    const TApPlace& added = *places.Items(1);
    EXPECT_EQ((std::vector<std::string>{added.PlaceName(), added.PlacePath(), added.PlaceIconDll()}),
              (std::vector<std::string>{"file.txt", dir / "file.txt", "Shell32.dll"}));
    EXPECT_EQ((std::vector<int>{added.PlaceSpecPath, added.PlaceIcon, added.PlaceHotIcon}), (std::vector<int>{ftNone, 0, 0}));
}
