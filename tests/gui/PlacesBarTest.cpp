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
    std::string nameField;
    const std::string documents = SpecialPath(CSIDL_PERSONAL), desktop = SpecialPath(CSIDL_DESKTOPDIRECTORY);
    Script s({Opened(), Check([&] {
                  bar = BarOf(dialog);
                  GetWindowRect(bar->Handle(), &bounds);
                  MapWindowPoints(nullptr, dialog.DialogHandle(), reinterpret_cast<POINT*>(&bounds), 2);
                  pressed.push_back(PressedButton(bar));
                  captions = Captions(bar);
              }),
              Visit(1, dir / "alpha"), Check([&] { pressed.push_back(PressedButton(bar)); }),
              Visit(2, dir.Path()), Check([&] { nameField = TextOf(dialog.FileNameField()); }),
              Visit(3, dir.Path()), Visit(4, dir / "alpha"), Visit(5, documents),
              Check([&] { pressed.push_back(PressedButton(bar)); }), Visit(6, desktop),
              Check([&] { pressed.push_back(PressedButton(bar)); }), Close()});
    dialog.Execute();
    EXPECT_EQ((std::vector<LONG>{bounds.left, bounds.top, bounds.right - bounds.left}), (std::vector<LONG>{4, 33, 87}));
    EXPECT_EQ(captions, (std::vector<std::string>{"Home", "Alpha", "Note", "Gone", "By registry", "Documents", "Desktop"}));
    EXPECT_EQ(nameField, "note.txt");
    EXPECT_EQ(pressed, (std::vector<int>{0, 1, 5, 6}));
    EXPECT_TRUE(boxes.Boxes.empty());
}
