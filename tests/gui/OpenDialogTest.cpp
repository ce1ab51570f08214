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

bool Visible(const TApCustomOpenDialog& d, int id) { return IsWindowVisible(GetDlgItem(d.DialogHandle(), id)) != FALSE; }
HWND ShellView(const TApCustomOpenDialog& d) { return FindWindowExA(d.DialogHandle(), nullptr, "SHELLDLL_DefView", nullptr); }
HWND FileList(const TApCustomOpenDialog& d) { return FindWindowExA(ShellView(d), nullptr, "SysListView32", nullptr); }

Names ListedNames(HWND list) {
    Names out;
    for (int i = 0, n = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); i < n; ++i) {
        char text[MAX_PATH] = {};
        LVITEMA item{};
        item.pszText = text;
        item.cchTextMax = MAX_PATH;
        SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
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

// Records the classes of the windows that Delete keys reach.
struct DeleteKeys {
    static inline std::vector<std::string> reached;
    static inline HHOOK hook = nullptr;
    static LRESULT CALLBACK Proc(int code, WPARAM wp, LPARAM lp) {
        auto* msg = reinterpret_cast<MSG*>(lp);
        if (code == HC_ACTION && msg->message == WM_KEYDOWN && msg->wParam == VK_DELETE) reached.push_back(ClassOf(msg->hwnd));
        return CallNextHookEx(hook, code, wp, lp);
    }
    DeleteKeys() { hook = SetWindowsHookExA(WH_GETMESSAGE, Proc, nullptr, GetCurrentThreadId()); }
    ~DeleteKeys() { UnhookWindowsHookEx(hook); }
};

// Someone else's procedure, put in front of ours while the dialog is open.
WNDPROC foreignPrevious = nullptr;
LRESULT CALLBACK ForeignProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    return CallWindowProcA(foreignPrevious, wnd, msg, wp, lp);
}

// An application form that the dialog finds by its class name.
struct TBottomPanelForm : tk::Form {
    TBottomPanelForm() : tk::Form(tk::App) { SetClientSize(200, 40); }
    static const tk::ClassInfo& StaticClass() {
        static const tk::ClassInfo info{"TBottomPanelForm", &tk::Form::StaticClass(), {}, {}};
        return info;
    }
    const tk::ClassInfo& Class() const override { return StaticClass(); }
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

TEST_F(OpenDialogTest, GivesTheChosenFilesOrNoneAndOpensAtTheSizeOfTheLastClose) {
    auto resize = [&] { SetWindowPos(dialog.DialogHandle(), nullptr, 0, 0, 700, 520, SWP_NOMOVE | SWP_NOZORDER); };
    ASSERT_TRUE(Run({Pause(), Check(resize), Type(dialog, "b.txt")}, IDOK));
    EXPECT_EQ(dialog.Files()->ToVector(), std::vector<std::string>{dir / "b.txt"});
    RECT r{};
    EXPECT_FALSE(Run({Pause(), Check([&] { GetWindowRect(dialog.DialogHandle(), &r); })}));
    EXPECT_EQ(dialog.Files()->Count(), 0);
    EXPECT_EQ((std::pair{r.right - r.left, r.bottom - r.top}), (std::pair{700L, 520L}));
    // A preset name longer than the file buffer is cut; a name the system
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
    bool systemBar = false;
    HWND toolbar = nullptr;
    Run({Check([&] {
        systemBar = Visible(dialog, 1184);
        for (int id : {1089, 1136}) EXPECT_FALSE(Visible(dialog, id)) << id;
        EXPECT_TRUE(Visible(dialog, 1090));
        EXPECT_FALSE(IsWindowVisible(ShellView(dialog)));
        EXPECT_FALSE(IsWindowEnabled(ShellView(dialog)));
        // The navigation toolbar, not the system's places bar.
        for (HWND w = GetWindow(dialog.DialogHandle(), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
            if (ClassOf(w) == "ToolbarWindow32" && GetDlgCtrlID(w) != 1184) toolbar = w;
        EXPECT_FALSE(IsWindowVisible(toolbar));
        dialog.SetVisibleControls(kAllDlgControls);
        EXPECT_TRUE(Visible(dialog, 1089));
        EXPECT_TRUE(IsWindowVisible(toolbar));
        EXPECT_TRUE(IsWindowVisible(ShellView(dialog)));
        // A title set while the dialog is open shows at once, cut to 511 characters.
        dialog.SetTitle(std::string(600, 't'));
        EXPECT_EQ(TextOf(dialog.DialogHandle()), std::string(511, 't'));
    })});
    EXPECT_TRUE(systemBar);
    EXPECT_NE(toolbar, nullptr);
    dialog.PlacesBar()->Visible = false;
    Run({Check([&] { systemBar = Visible(dialog, 1184); })});
    EXPECT_FALSE(systemBar);
}

TEST_F(OpenDialogTest, DeleteIsSwallowedOnlyInTheFileList) {
    dialog.ListViewStyles()->EnableDelete = false;
    DeleteKeys keys;
    std::string field;
    Run({Check([&] {
             SetFocus(FileList(dialog));
             Keys({VK_DELETE});
         }),
         Check([&] {
             SetWindowTextA(dialog.FileNameField(), "abc");
             SetFocus(dialog.FileNameField());
             SendMessageA(dialog.FileNameField(), EM_SETSEL, 0, 0);
             Keys({VK_DELETE});
         }),
         Check([&] { field = TextOf(dialog.FileNameField()); })});
    EXPECT_EQ(field, "bc");
    EXPECT_EQ(keys.reached, std::vector<std::string>{"Edit"});
}

TEST_F(OpenDialogTest, NoMenuOnEmptySpaceButOneOverSelectedFiles) {
    dialog.ListViewStyles()->PopupOnEmpty = false;
    auto menuUp = [] {
        HWND menu = FindWindowA("#32768", nullptr);
        return menu && IsWindowVisible(menu);
    };
    auto rightClick = [&](int item) {
        LVITEMA state{};
        state.stateMask = LVIS_SELECTED;
        SendMessageA(FileList(dialog), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
        state.state = LVIS_SELECTED;
        if (item >= 0) SendMessageA(FileList(dialog), LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&state));
        RECT r;
        GetWindowRect(FileList(dialog), &r);
        PostMessageA(ShellView(dialog), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(FileList(dialog)),
                     MAKELPARAM(r.right - 20, r.bottom - 20));
    };
    bool onEmpty = true, onSelection = false;
    Run({Check([&] { rightClick(-1); }), Pause(), Check([&] { onEmpty = menuUp(); }), Check([&] { rightClick(0); }),
         [&] { return onSelection = menuUp(); }, Check([] { EndMenu(); }), Pause()});
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
    HHOOK outerHooks[2] = {}, innerHooks[2] = {};
    auto hooks = [](HHOOK* h) {
        h[0] = TApCustomOpenDialog::KeyboardHook();
        h[1] = TApCustomOpenDialog::CallWndProcHook();
    };
    std::vector<std::pair<HWND, LONG_PTR>> ours;  // windows and our procedures in them
    bool restored = true, foreignKept = false;
    inner.OnShow = [&] { hooks(innerHooks); };
    dialog.OnShow = [&] {
        hooks(outerHooks);
        inner.Execute();
        HHOOK now[2];
        hooks(now);
        EXPECT_EQ(TApCustomOpenDialog::ActiveDialog(), &dialog);
        EXPECT_EQ((std::pair{now[0], now[1]}), (std::pair{outerHooks[0], outerHooks[1]}));
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
    EXPECT_NE(innerHooks[0], nullptr);
    EXPECT_NE(innerHooks[0], outerHooks[0]);
    EXPECT_EQ(ours.size(), 4u);
    EXPECT_TRUE(restored);
    EXPECT_TRUE(foreignKept);
    EXPECT_EQ(TApCustomOpenDialog::ActiveDialog(), nullptr);
    EXPECT_EQ(TApCustomOpenDialog::KeyboardHook(), nullptr);
    for (HHOOK h : {outerHooks[0], outerHooks[1], innerHooks[0], innerHooks[1]}) EXPECT_FALSE(UnhookWindowsHookEx(h));
}

TEST_F(OpenDialogTest, AHandlersErrorIsReportedAndTheDialogGoesOn) {
    MessageLog log;
    dialog.OnFolderChange = [] { throw tk::Exception("Folder refused"); };
    EXPECT_TRUE(Run({Type(dialog, "a.txt")}, IDOK));
    EXPECT_EQ(dialog.FileName(), dir / "a.txt");
    ASSERT_FALSE(log.Boxes.empty());
    EXPECT_TRUE(log.Last().StandardErrorBox);
    EXPECT_EQ(log.Last().Text, "Folder refused.");
}

TEST_F(OpenDialogTest, APanelFormIsFoundByClassNameEmbeddedAtTheBottomAndGivenBack) {
    TBottomPanelForm panel;
    dialog.CustDlgParams()->SetBottomFormName("bottompanelform");
    RECT client{}, bounds{};
    bool shown = false;
    Run({Pause(), Check([&] {
             GetClientRect(dialog.DialogHandle(), &client);
             shown = IsWindowVisible(panel.Handle());
             GetWindowRect(panel.Handle(), &bounds);
             MapWindowPoints(nullptr, dialog.DialogHandle(), reinterpret_cast<POINT*>(&bounds), 2);
             EXPECT_EQ(GetParent(panel.Handle()), dialog.DialogHandle());
         })});
    EXPECT_TRUE(shown);
    EXPECT_EQ((std::vector<LONG>{bounds.left, bounds.top, bounds.right, bounds.bottom}),
              (std::vector<LONG>{0, client.bottom - 40, client.right, client.bottom}));
    EXPECT_FALSE(IsWindowVisible(panel.Handle()));
    EXPECT_FALSE(GetWindowLongPtrA(panel.Handle(), GWL_STYLE) & WS_CHILD);
}
