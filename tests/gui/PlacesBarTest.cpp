#include "controls/BrowseFolder.h"
#include "filedialog/ApAddPlaceForm.h"
#include "filedialog/ApOpenDlg.h"
#include "filedialog/ApPlacesBarForm.h"
#include "support/GuiFixture.h"
#include "support/RawRegistry.h"
#include "support/Script.h"
#include "support/Windows.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <tuple>

using namespace testsupport;
using Strings = std::vector<std::string>;

namespace {

const std::string kTestKey = "Software\\Quenmoor\\Tests\\PlacesBar";

TApPlacesBarFrm* BarOf(const TApCustomOpenDialog& d) {
    for (HWND w = GetWindow(d.DialogHandle(), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
        if (auto* bar = dynamic_cast<TApPlacesBarFrm*>(tk::Control::FromHandle(w))) return bar;
    return nullptr;
}

Strings Captions(TApPlacesBarFrm* bar) {
    Strings out;
    for (int i = 0; i < bar->ButtonCount(); ++i) out.push_back(bar->Buttons(i)->Caption());
    return out;
}

POINT Centre(TApPlaceButton* b) {
    RECT r = b->ScreenRect();
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// Presses the left button over one place button, moves to another and
// releases it there.
void Drag(TApPlaceButton* from, TApPlaceButton* to) {
    const POINT a = Centre(from), b = Centre(to);
    std::vector<INPUT> in;
    for (auto [p, flags] : {std::pair{a, 0}, {a, MOUSEEVENTF_LEFTDOWN}, {POINT{a.x, a.y + 10}, 0}, {b, 0}, {b, MOUSEEVENTF_LEFTUP}}) {
        INPUT& i = in.emplace_back();
        i.type = INPUT_MOUSE;
        i.mi.dx = p.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
        i.mi.dy = p.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
        i.mi.dwFlags = static_cast<DWORD>(flags) | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    }
    SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

class PlacesBar : public testing::Test {
protected:
    PlacesBar() {
        dir.MakeDir("alpha");
        dir.MakeFile("note.txt");
        dialog.InitialDir = dir.Path();
        dialog.PlacesBar()->Visible = true;
        RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey.c_str());
    }
    ~PlacesBar() override { RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey.c_str()); }
    TApPlace* Add(const std::string& name, const std::string& path, TApSpecShellFolder folder = ftNone) {
        TApPlace* p = places.AddPlace();
        p->SetPlaceName(name);
        p->SetPlacePath(path);
        p->PlaceSpecPath = folder;
        return p;
    }
    void Run(std::vector<Script::Step> steps) {
        steps.insert(steps.begin(), [this] { return dialog.DialogHandle() && IsWindowVisible(dialog.DialogHandle()) && BarOf(dialog); });
        steps.push_back(Check([this] { Press(dialog.DialogHandle(), IDCANCEL); }));
        Script s(std::move(steps));
        dialog.Execute();
    }
    TApPlaceButton* Button(int i) { return BarOf(dialog)->Buttons(i); }
    // Clicks a place and waits until the dialog shows the folder.
    Script::Step Visit(int place, std::string folder) {
        return [this, place, folder, clicked = std::make_shared<bool>(false)] {
            if (!std::exchange(*clicked, true)) Button(place)->Click();
            return tk::SameText(StripTrailingBackslash(dialog.CurrentFolderPath()), StripTrailingBackslash(folder));
        };
    }
    // Opens the bar's menu over a button and picks its nth command.
    Script::Step Menu(int button, int command) {
        return [this, button, command, opened = std::make_shared<bool>(false)] {
            if (!*opened) {
                const POINT at = Centre(Button(button));
                const HWND bar = BarOf(dialog)->ToolBar1->Handle();
                *opened = PostMessageA(bar, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(bar), MAKELPARAM(at.x, at.y));
                return false;
            }
            HWND menu = FindWindowA("#32768", nullptr);
            if (!menu || !IsWindowVisible(menu)) return false;
            for (int i = 0; i <= command; ++i) Keys({VK_DOWN});
            Keys({VK_RETURN});
            return true;
        };
    }
    TempDir dir;
    TApOpenDialog dialog{tk::App};
    TApPlaces& places = *dialog.PlacesBar()->Places();
};

std::string SpecialPath(int csidl) {
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

}  // namespace

TEST_F(PlacesBar, NavigatesEveryKindOfPlaceAndPressesTheCurrentFolder) {
    RawSetString(HKEY_CURRENT_USER, kTestKey, "Target", dir / "alpha");
    Add("Home", dir.Path());
    Add("Alpha", dir / "alpha");
    Add("Note", dir / "note.txt");
    Add("Gone", dir / "gone");
    Add("By registry", "")->SetPlaceRegPath("\\" + kTestKey + "\\Target");
    Add("Documents", "", ftPersonal);
    Add("Desktop", "", ftDesktop);
    MessageLog boxes;
    std::vector<int> pressed;
    auto press = Check([&] {
        int down = -1;
        for (int i = BarOf(dialog)->ButtonCount() - 1; i >= 0; --i)
            if (Button(i)->Down()) down = i;
        pressed.push_back(down);
    });
    Strings captions;
    LRESULT scroll = 0;
    std::string nameField;
    Run({press, Check([&] {
             captions = Captions(BarOf(dialog));
             scroll = SendMessageA(BarOf(dialog)->ps1->Handle(), PGM_GETBUTTONSTATE, 0, PGB_BOTTOMORRIGHT);
         }),
         Visit(1, dir / "alpha"), press, Visit(2, dir.Path()), Check([&] { nameField = TextOf(dialog.FileNameField()); }),
         Visit(3, dir.Path()), Visit(4, dir / "alpha"), Visit(5, SpecialPath(CSIDL_PERSONAL)), press,
         Visit(6, SpecialPath(CSIDL_DESKTOPDIRECTORY)), press,
         // A folder that is no place: no button stays pressed.
         [&] {
             dialog.NavigateTo(dir.MakeDir("beta"));
             return tk::SameText(dialog.CurrentFolderPath(), dir / "beta");
         },
         press});
    EXPECT_EQ(captions, (Strings{"Home", "Alpha", "Note", "Gone", "By registry", "Documents", "Desktop"}));
    EXPECT_EQ(scroll, PGF_NORMAL);  // longer than the bar: it scrolls
    EXPECT_EQ(nameField, "note.txt");
    EXPECT_EQ(pressed, (std::vector<int>{0, 1, 5, 6, -1}));
    EXPECT_TRUE(boxes.Boxes.empty());
}

TEST_F(PlacesBar, DragDeletePropertiesAndDropsEditThePlacesAndTeardownStoresThem) {
    dialog.PlacesBar()->SetRegistryKey(kTestKey);
    RawSetString(HKEY_CURRENT_USER, kTestKey, "Stale", "");
    for (const char* name : {"Home", "Alpha", "Note", "Gone"}) Add(name, dir / name);
    MessageLog boxes;
    boxes.Answers = {IDYES};
    Strings shown;
    tk::App->ModalResponder = [&](tk::Form& f) {
        auto& w = static_cast<TApAddPlaceFrm&>(f);
        shown.push_back(w.eShort->Text() + (w.Place ? " (edit)" : " (new)"));
        if (w.Place) w.eShort->SetText("Home, renamed");
        w.Button1Click();
        return tk::mrOk;
    };
    std::vector<Strings> orders;
    auto order = Check([&] { orders.push_back(Captions(BarOf(dialog))); });
    Run({Check([&] { Drag(Button(0), Button(2)); }), [&] { return places.Items(2)->PlaceName() == "Home"; }, order,
         Menu(0, 0), [&] { return places.Count() == 3; }, order, Menu(1, 1), [&] { return shown.size() == 1; }, Pause(),
         Check([&] {
             HGLOBAL drop = MakeDrop({dir / "alpha", dir / "note.txt"});
             SendMessageA(BarOf(dialog)->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
         }),
         order});
    tk::App->ModalResponder = nullptr;
    ASSERT_EQ(orders.size(), 3u);
    EXPECT_EQ(orders[0], (Strings{"Alpha", "Note", "Home", "Gone"}));
    EXPECT_EQ(orders[1], (Strings{"Note", "Home", "Gone"}));
    ASSERT_FALSE(boxes.Boxes.empty());
    EXPECT_EQ(boxes.Boxes[0].Text, "Are you sure you want to delete this place?\rPlace: Alpha");
    EXPECT_EQ(shown, (Strings{"Home (edit)", "alpha (new)", "note.txt (new)"}));
    EXPECT_EQ(orders[2], (Strings{"Note", "Home, renamed", "Gone", "alpha", "note.txt"}));
    // A dropped folder shows a folder's icons, a file the library's first.
    for (auto [i, path, icon, hot] : {std::tuple{3, dir / "alpha", 3, 4}, {4, dir / "note.txt", 0, 0}}) {
        const TApPlace& p = *places.Items(i);
        EXPECT_EQ((std::tuple{p.PlacePath(), p.PlaceSpecPath, p.PlaceIconDll(), p.PlaceIcon, p.PlaceHotIcon}),
                  (std::tuple{path, ftNone, "Shell32.dll", icon, hot}));
    }
    // Stored at teardown, one subkey per place.
    EXPECT_TRUE(RawKeyExists(HKEY_CURRENT_USER, kTestKey + "\\Place_4"));
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
    EXPECT_EQ((Strings{w.eShort->Text(), w.cbTargetType->GetText(), w.ePath->GetText(), w.eHint->Text()}),
              (Strings{"Where", "Registry value", p->PlaceRegPath(), "hint"}));
    EXPECT_FALSE(w.eShort->Enabled());
    EXPECT_EQ((std::vector<int>{w.dg1->Col(), w.dg1->LeftCol(), w.dg2->Col()}), (std::vector<int>{7, 7, 9}));
    const int icons = w.dg1->ColCount();
    EXPECT_GT(icons, 12);

    MessageLog boxes;
    w.eIconLib->SetText(dir / "missing.dll");
    w.btnShowIconsClick();
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Last().Text, "No icons were found in the file");
    EXPECT_EQ(w.eIconLib->Text(), "shell32.dll");
    EXPECT_EQ((std::vector<int>{w.dg1->ColCount(), w.dg1->Col()}), (std::vector<int>{icons, 7}));

    // The user picks a special folder: the target becomes a list of the four.
    w.cbTargetType->SetItemIndex(1);
    Notify(w.cbTargetType, CBN_SELCHANGE);
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
    EXPECT_EQ((Strings{p->PlaceName(), p->PlaceDesc(), p->PlacePath(), p->PlaceRegPath(), p->PlaceIconDll()}),
              (Strings{"Docs", "h2", "", "", "shell32.dll"}));
    EXPECT_EQ((std::vector<int>{p->PlaceSpecPath, p->PlaceIcon, p->PlaceHotIcon, p->AutoCaption}),
              (std::vector<int>{ftPersonal, 11, 12, false}));

    // A library that cannot be read shows nothing: its numbers stay unless
    // the user picks another icon.
    for (bool picks : {false, true}) {
        p->SetPlaceIconDll(dir / "missing.dll");
        p->PlaceIcon = 7;
        p->PlaceHotIcon = 9;
        TApAddPlaceFrm again(tk::App);
        again.AfterConstruction();
        again.Places = &places;
        again.Place = p;
        again.FillFromPlace(*p);
        if (picks) {
            again.eIconLib->SetText("shell32.dll");
            again.btnShowIconsClick();
            again.dg2->SetCol(12);
        }
        again.Button1->Click();
        EXPECT_EQ(p->PlaceIconDll(), picks ? "shell32.dll" : dir / "missing.dll");
        EXPECT_EQ((std::vector<int>{p->PlaceIcon, p->PlaceHotIcon}), (std::vector<int>{7, picks ? 12 : 9}));
    }
}
