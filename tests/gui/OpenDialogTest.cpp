#include "filedialog/ApOpenDlg.h"
#include "support/GuiFixture.h"
#include "support/Script.h"
#include "support/Windows.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <set>

using namespace testsupport;
using Names = std::set<std::string>;

namespace {

HWND ShellView(const TApCustomOpenDialog& d) { return FindWindowExA(d.DialogHandle(), nullptr, "SHELLDLL_DefView", nullptr); }
HWND FileList(const TApCustomOpenDialog& d) { return FindWindowExA(ShellView(d), nullptr, "SysListView32", nullptr); }

Names ListedNames(HWND list) {
    Names out;
    char text[MAX_PATH];
    for (int i = 0; i < ListView_GetItemCount(list); ++i) {
        ListView_GetItemText(list, i, 0, text, MAX_PATH);
        out.insert(text);
    }
    return out;
}

Script::Step Opened(const TApCustomOpenDialog& d) {
    return [&d] { return d.DialogHandle() && IsWindowVisible(d.DialogHandle()) && FileList(d); };
}
Script::Step Press(const TApCustomOpenDialog& d, int id) {
    return [&d, id] { return testsupport::Press(d.DialogHandle(), id); };
}
Script::Step Type(const TApCustomOpenDialog& d, std::string name) {
    return Check([&d, name] { SetWindowTextA(d.FileNameField(), name.c_str()); });
}

// The classes of the windows that Delete keys reach.
std::vector<std::string> deleteReached;
LRESULT CALLBACK DeleteWatch(int code, WPARAM wp, LPARAM lp) {
    auto* msg = reinterpret_cast<MSG*>(lp);
    if (code == HC_ACTION && msg->message == WM_KEYDOWN && msg->wParam == VK_DELETE) deleteReached.push_back(ClassOf(msg->hwnd));
    return CallNextHookEx(nullptr, code, wp, lp);
}

// Someone else's procedure, put in front of ours while the dialog is open.
WNDPROC foreignPrevious = nullptr;
LRESULT CALLBACK ForeignProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    return CallWindowProcA(foreignPrevious, wnd, msg, wp, lp);
}

// An application form that the dialog finds by its class name.
struct TBottomPanelForm : tk::Form {
    TBottomPanelForm() : tk::Form(tk::App) { SetClientSize(200, 40); }
    const tk::ClassInfo& Class() const override {
        static const tk::ClassInfo info{"TBottomPanelForm", &tk::Form::StaticClass(), {}, {}};
        return info;
    }
};

int CALLBACK SameOrder(LPARAM, LPARAM, LPARAM) { return 0; }
int CALLBACK Reversed(LPARAM a, LPARAM b, LPARAM) { return static_cast<int>(b - a); }

class OpenDialogTest : public testing::Test {
protected:
    OpenDialogTest() {
        for (const char* name : {"a.txt", "b.txt", "d.txt", "e.txt", "c.dat"}) dir.MakeFile(name);
        dir.MakeDir("sub");
        dialog.InitialDir = dir.Path();
    }
    // Runs the dialog through the steps, from its opening to the press that ends it.
    bool Run(std::vector<Script::Step> steps, int end = IDCANCEL) {
        steps.insert(steps.begin(), Opened(dialog));
        steps.push_back(Press(dialog, end));
        Script s(std::move(steps));
        return dialog.Execute();
    }
    TempDir dir;
    TApOpenDialog dialog{tk::App};
};

}  // namespace

TEST_F(OpenDialogTest, ChosenFilesSurviveAHandlersErrorCancelGivesNoneAndTheLastSizeIsKept) {
    MessageLog log;
    dialog.OnFolderChange = [] { throw tk::Exception("Folder refused"); };
    auto resize = [&] { SetWindowPos(dialog.DialogHandle(), nullptr, 0, 0, 700, 520, SWP_NOMOVE | SWP_NOZORDER); };
    ASSERT_TRUE(Run({Pause(), Check(resize), Type(dialog, "b.txt")}, IDOK));
    EXPECT_EQ(dialog.Files()->ToVector(), std::vector<std::string>{dir / "b.txt"});
    ASSERT_FALSE(log.Boxes.empty());
    EXPECT_TRUE(log.Last().StandardErrorBox);
    EXPECT_EQ(log.Last().Text, "Folder refused.");
    dialog.OnFolderChange = nullptr;
    RECT r{};
    EXPECT_FALSE(Run({Pause(), Check([&] { GetWindowRect(dialog.DialogHandle(), &r); })}));
    EXPECT_EQ(dialog.Files()->Count(), 0);
    EXPECT_EQ((std::pair{r.right - r.left, r.bottom - r.top}), (std::pair{700L, 520L}));
    // A preset name longer than MAX_PATH is handed over; a name the system
    // refuses gets its box, and the dialog ends with nothing chosen.
    dialog.SetFileName(std::string(400, 'n'));
    bool refused = false;
    EXPECT_FALSE(Run({Type(dialog, "a|b.txt"), Press(dialog, IDOK), [&] {
                          HWND box = SystemDialog(dialog.DialogHandle());
                          return refused = box && testsupport::Press(box, IDOK);
                      }}));
    EXPECT_TRUE(refused);
    EXPECT_EQ(dialog.Files()->Count(), 0);
    EXPECT_EQ(TApCustomOpenDialog::ActiveDialog(), nullptr);
}

TEST_F(OpenDialogTest, ShowsTheSystemPlacesBarAndOnlyTheControlsAskedFor) {
    dialog.PlacesBar()->Visible = dialog.PlacesBar()->Native = true;
    TApOpenDlgControls shown = kAllDlgControls;
    for (TApOpenDlgControl c : {dcFileTypeLabel, dcFileType, dcToolBar, dcSelectionCtrl}) shown.Exclude(c);
    dialog.SetVisibleControls(shown);
    std::vector<bool> seen;  // the places bar, the file type label, the file list, the navigation toolbar
    auto look = [&] {
        HWND d = dialog.DialogHandle(), toolbar = nullptr;
        for (HWND w = GetWindow(d, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
            if (ClassOf(w) == "ToolbarWindow32" && GetDlgCtrlID(w) != 1184) toolbar = w;
        for (HWND w : {GetDlgItem(d, 1184), GetDlgItem(d, 1089), ShellView(dialog), toolbar}) seen.push_back(IsWindowVisible(w));
    };
    Run({Check([&] {
        look();
        dialog.SetVisibleControls(kAllDlgControls);
        look();
    })});
    EXPECT_EQ(seen, (std::vector<bool>{true, false, false, false, true, true, true, true}));
    dialog.PlacesBar()->Visible = false;
    Run({Check([&] { seen = {IsWindowVisible(GetDlgItem(dialog.DialogHandle(), 1184)) != FALSE}; })});
    EXPECT_EQ(seen, std::vector<bool>{false});
}

// Two of the list's styles: Delete is swallowed in the file list only, and
// no menu comes up over empty space, only over selected files.
TEST_F(OpenDialogTest, DeleteIsSwallowedOnlyInTheFileListAndAMenuComesOnlyOverSelectedFiles) {
    dialog.ListViewStyles()->EnableDelete = false;
    dialog.ListViewStyles()->PopupOnEmpty = false;
    HHOOK watch = SetWindowsHookExA(WH_GETMESSAGE, DeleteWatch, nullptr, GetCurrentThreadId());
    auto deleteIn = [](HWND w) {
        SetFocus(w);
        SendMessageA(w, EM_SETSEL, 0, 0);  // in the name field: before the first letter
        Keys({VK_DELETE});
    };
    auto menuUp = [] { return IsWindowVisible(FindWindowA("#32768", nullptr)) != FALSE; };
    auto rightClick = [&](int item) {
        ListView_SetItemState(FileList(dialog), -1, 0, LVIS_SELECTED);
        if (item >= 0) ListView_SetItemState(FileList(dialog), item, LVIS_SELECTED, LVIS_SELECTED);
        RECT r;
        GetWindowRect(FileList(dialog), &r);
        PostMessageA(ShellView(dialog), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(FileList(dialog)), MAKELPARAM(r.right - 20, r.bottom - 20));
    };
    std::string left;
    bool onEmpty = true, onSelection = false;
    Run({Check([&] { deleteIn(FileList(dialog)); }), Type(dialog, "abc"), Check([&] { deleteIn(dialog.FileNameField()); }),
         Check([&] { left = TextOf(dialog.FileNameField()); }), Check([&] { rightClick(-1); }), Pause(),
         Check([&] { onEmpty = menuUp(); }), Check([&] { rightClick(0); }), [&] { return onSelection = menuUp(); },
         Check([] { EndMenu(); }), Pause()});
    UnhookWindowsHookEx(watch);
    EXPECT_EQ(left, "bc");
    EXPECT_EQ(deleteReached, std::vector<std::string>{"Edit"});
    EXPECT_FALSE(onEmpty);
    EXPECT_TRUE(onSelection);
}

TEST_F(OpenDialogTest, ExtensionFilterRemovesExactlyTheRejectedItems) {
    dialog.ExtFilter()->Enabled = true;
    dialog.ExtFilter()->ShowFolders = false;
    std::string rejected = ".dat";
    tk::Persistent* sender = nullptr;
    dialog.OnIncludeFile = [&](tk::Persistent* s, const std::string& path, bool& include) {
        sender = s;
        include = path.size() < rejected.size() || path.compare(path.size() - rejected.size(), rejected.size(), rejected) != 0;
    };
    Names first, second;
    Run({[&] {
             first = ListedNames(FileList(dialog));
             return !first.count("c.dat");
         },
         Check([&] {
             // A sort runs the filter, which posts its removal; a second
             // sort reorders the list before the removal arrives.
             rejected = "b.txt";
             SendMessageA(FileList(dialog), LVM_SORTITEMS, 0, reinterpret_cast<LPARAM>(SameOrder));
             SendMessageA(FileList(dialog), LVM_SORTITEMSEX, 0, reinterpret_cast<LPARAM>(Reversed));
         }),
         Check([&] { second = ListedNames(FileList(dialog)); })});
    EXPECT_EQ(first, (Names{"a.txt", "b.txt", "d.txt", "e.txt"}));
    EXPECT_EQ(second, (Names{"a.txt", "d.txt", "e.txt"}));
    EXPECT_EQ(sender, dialog.ExtFilter());
}

TEST_F(OpenDialogTest, NestedExecuteRestoresTheOuterAndCloseLeavesNothingBehind) {
    TApOpenDialog inner(tk::App);
    inner.InitialDir = dir.Path();
    using Hooks = std::pair<HHOOK, HHOOK>;
    auto hooks = [] { return Hooks{TApCustomOpenDialog::KeyboardHook(), TApCustomOpenDialog::CallWndProcHook()}; };
    Hooks outerHooks, innerHooks;
    std::vector<std::pair<HWND, LONG_PTR>> ours;  // windows and our procedures in them
    bool restored = true, foreignKept = false;
    inner.OnShow = [&] { innerHooks = hooks(); };
    dialog.OnShow = [&] {
        outerHooks = hooks();
        inner.Execute();
        EXPECT_EQ(TApCustomOpenDialog::ActiveDialog(), &dialog);
        EXPECT_EQ(hooks(), outerHooks);
    };
    // By the folder change all four windows are ours.
    dialog.OnFolderChange = [&] {
        if (!ours.empty()) return;
        HWND dlg = dialog.DialogHandle();
        for (HWND w : {FindWindowExA(dlg, nullptr, "#32770", nullptr), ShellView(dialog), FileList(dialog), dlg})
            ours.emplace_back(w, GetWindowLongPtrA(w, GWLP_WNDPROC));
        // Someone subclasses the dialog after us.
        foreignPrevious = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(dlg, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ForeignProc)));
    };
    // The system destroys its shell view before the dialog goes, which
    // gives both back their procedures on the way.
    dialog.OnClose = [&] {
        for (size_t i = 0; i + 1 < ours.size(); ++i) restored = restored && GetWindowLongPtrA(ours[i].first, GWLP_WNDPROC) != ours[i].second;
        foreignKept = GetWindowLongPtrA(ours.back().first, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(ForeignProc);
    };
    Script s({Opened(inner), Press(inner, IDCANCEL), Opened(dialog), Press(dialog, IDCANCEL)});
    dialog.Execute();
    EXPECT_NE(innerHooks.first, nullptr);
    EXPECT_NE(innerHooks.first, outerHooks.first);
    EXPECT_EQ(ours.size(), 4u);
    EXPECT_TRUE(restored);
    EXPECT_TRUE(foreignKept);
    EXPECT_EQ(TApCustomOpenDialog::ActiveDialog(), nullptr);
    EXPECT_EQ(hooks(), Hooks{});
    for (HHOOK h : {outerHooks.first, outerHooks.second, innerHooks.first, innerHooks.second}) EXPECT_FALSE(UnhookWindowsHookEx(h));
}

TEST_F(OpenDialogTest, APanelFormIsFoundByClassNameEmbeddedAtTheBottomAndGivenBack) {
    TBottomPanelForm panel;
    dialog.CustDlgParams()->SetBottomFormName("bottompanelform");
    RECT client{}, bounds{};
    Run({Pause(), Check([&] {
             GetClientRect(dialog.DialogHandle(), &client);
             EXPECT_TRUE(IsWindowVisible(panel.Handle()));
             GetWindowRect(panel.Handle(), &bounds);
             MapWindowPoints(nullptr, dialog.DialogHandle(), reinterpret_cast<POINT*>(&bounds), 2);
             EXPECT_EQ(GetParent(panel.Handle()), dialog.DialogHandle());
         })});
    EXPECT_EQ((std::vector<LONG>{bounds.left, bounds.top, bounds.right, bounds.bottom}),
              (std::vector<LONG>{0, client.bottom - 40, client.right, client.bottom}));
    EXPECT_FALSE(IsWindowVisible(panel.Handle()));
    EXPECT_FALSE(GetWindowLongPtrA(panel.Handle(), GWL_STYLE) & WS_CHILD);
}

// Names longer in UTF-8 than MAX_PATH, and choices longer than the buffer
// the dialog starts with: the choice comes back whole.
TEST_F(OpenDialogTest, ALongNameComesBackWholeAndAChoiceTooLongForTheBufferIsShownAgain) {
    std::string wide = "ж-😀-";
    for (int i = 0; i < 80; ++i) wide += "日";
    dir.MakeFile(wide);
    ASSERT_TRUE(Run({Type(dialog, wide)}, IDOK));
    EXPECT_EQ(dialog.Files()->ToVector(), std::vector<std::string>{dir / wide});

    dialog.Options.Include(tk::ofAllowMultiSelect);
    std::string typed;
    std::vector<std::string> expected;
    for (int i = 0; i < 300; ++i) {
        std::string name = std::to_string(1000 + i) + std::string(220, 'n');
        typed += "\"" + name + "\" ";
        expected.push_back(dir / name);
    }
    std::string shownAgain;
    ASSERT_TRUE(Run({Type(dialog, typed), Press(dialog, IDOK), Opened(dialog),
                     Check([&] { shownAgain = tk::WindowText(dialog.FileNameField()); })},
                    IDOK));
    // Whole lists are too long to print.
    EXPECT_TRUE(shownAgain == typed) << shownAgain.size();
    EXPECT_TRUE(dialog.Files()->ToVector() == expected) << dialog.Files()->Count();
}
