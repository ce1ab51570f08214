#include "filedialog/ApOpenDlg.h"
#include "support/GuiFixture.h"
#include "support/Script.h"
#include "support/Windows.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

using namespace testsupport;
using Names = std::set<std::string>;

namespace {

HWND Item(const TApCustomOpenDialog& d, int id) { return GetDlgItem(d.DialogHandle(), id); }
bool Visible(const TApCustomOpenDialog& d, int id) { return IsWindowVisible(Item(d, id)) != FALSE; }
HWND ShellView(const TApCustomOpenDialog& d) { return FindWindowExA(d.DialogHandle(), nullptr, "SHELLDLL_DefView", nullptr); }
HWND FileList(const TApCustomOpenDialog& d) { return FindWindowExA(ShellView(d), nullptr, "SysListView32", nullptr); }

Names ListedNames(HWND list) {
    Names out;
    const auto n = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
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
    return [&d, id] {
        PostMessageA(d.DialogHandle(), WM_COMMAND, static_cast<WPARAM>(id), 0);
        return true;
    };
}
Script::Step Type(const TApCustomOpenDialog& d, std::string name) {
    return [&d, name] {
        SetWindowTextA(d.FileNameField(), name.c_str());
        return true;
    };
}

void Key(WORD vk) {
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[1].ki.wVk = vk;
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
}

// Records the Delete keys that reach a window.
struct DeleteKeys {
    static inline std::vector<std::string> reached;  // window classes
    static inline HHOOK hook = nullptr;
    static LRESULT CALLBACK Proc(int code, WPARAM wp, LPARAM lp) {
        auto* msg = reinterpret_cast<MSG*>(lp);
        if (code == HC_ACTION && msg->message == WM_KEYDOWN && msg->wParam == VK_DELETE)
            reached.push_back(ClassOf(msg->hwnd));
        return CallNextHookEx(hook, code, wp, lp);
    }
    DeleteKeys() {
        reached.clear();
        hook = SetWindowsHookExA(WH_GETMESSAGE, Proc, nullptr, GetCurrentThreadId());
    }
    ~DeleteKeys() { UnhookWindowsHookEx(hook); }
};

// Someone else's procedure, put in front of ours while the dialog is open.
struct Foreign {
    static inline WNDPROC previous = nullptr;
    static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
        return CallWindowProcA(previous, wnd, msg, wp, lp);
    }
};

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
    TempDir dir;
    TApOpenDialog dialog{tk::App};
};

}  // namespace

TEST_F(OpenDialogTest, CancelGivesNothingTypedNameGivesItsFullPathBadNamesNothing) {
    {
        Script s({Opened(dialog), Type(dialog, "b.txt"), Press(dialog, IDOK)});
        ASSERT_TRUE(dialog.Execute());
    }
    EXPECT_EQ(dialog.Files()->ToVector(), std::vector<std::string>{dir / "b.txt"});
    EXPECT_EQ(dialog.FileName(), dir / "b.txt");
    {
        Script s({Opened(dialog), Press(dialog, IDCANCEL)});
        EXPECT_FALSE(dialog.Execute());
    }
    EXPECT_EQ(dialog.Files()->Count(), 0);
    // A preset name longer than the file buffer is cut; a name the system
    // refuses gets its box, and the dialog ends with nothing chosen.
    dialog.SetFileName(std::string(400, 'n'));
    bool refused = false;
    {
        Script s({Opened(dialog), Type(dialog, "a|b.txt"), Press(dialog, IDOK),
                  [&] {
                      for (HWND w : VisibleWindowsOf(GetCurrentProcessId()))
                          if (w != dialog.DialogHandle() && ClassOf(w) == "#32770") {
                              refused = true;
                              PostMessageA(w, WM_COMMAND, IDOK, 0);
                          }
                      return refused;
                  },
                  Press(dialog, IDCANCEL)});
        EXPECT_FALSE(dialog.Execute());
    }
    EXPECT_TRUE(refused);
    EXPECT_EQ(dialog.Files()->Count(), 0);
    EXPECT_EQ(TApCustomOpenDialog::ActiveDialog(), nullptr);
}

TEST_F(OpenDialogTest, BatchConfigurationShowsTheSystemPlacesBarTitleAndAdd) {
    dialog.SetTitle("Choose Files");
    dialog.DlgItemsCaptions()->OK = "Add";
    dialog.PlacesBar()->Visible = true;
    dialog.PlacesBar()->Native = true;
    std::string title, ok;
    bool systemBar = false;
    {
        Script s({Opened(dialog), Check([&] {
                      title = TextOf(dialog.DialogHandle());
                      ok = TextOf(Item(dialog, IDOK));
                      systemBar = Visible(dialog, 1184);
                      for (int id : {1137, 1091, 1090, 1136, 1089, IDOK, IDCANCEL})
                          EXPECT_TRUE(Visible(dialog, id)) << id;
                      // A title set while the dialog is open shows at once, cut to 511 characters.
                      dialog.SetTitle(std::string(600, 't'));
                      EXPECT_EQ(TextOf(dialog.DialogHandle()), std::string(511, 't'));
                  }),
                  Press(dialog, IDCANCEL)});
        dialog.Execute();
    }
    EXPECT_EQ(title, "Choose Files");
    EXPECT_EQ(ok, "Add");
    EXPECT_TRUE(systemBar);
    dialog.PlacesBar()->Visible = false;
    {
        Script s({Opened(dialog), Check([&] { systemBar = Visible(dialog, 1184); }), Press(dialog, IDCANCEL)});
        dialog.Execute();
    }
    EXPECT_FALSE(systemBar);
}

TEST_F(OpenDialogTest, ControlsOutsideVisibleControlsAreHiddenAndComeBack) {
    TApOpenDlgControls shown = kAllDlgControls;
    for (TApOpenDlgControl c : {dcFileTypeLabel, dcFileType, dcToolBar, dcSelectionCtrl}) shown.Exclude(c);
    dialog.SetVisibleControls(shown);
    HWND toolbar = nullptr;
    Script s({Opened(dialog), Check([&] {
                  EXPECT_FALSE(Visible(dialog, 1089));
                  EXPECT_FALSE(Visible(dialog, 1136));
                  EXPECT_TRUE(Visible(dialog, 1090));
                  EXPECT_FALSE(IsWindowVisible(ShellView(dialog)));
                  EXPECT_FALSE(IsWindowEnabled(ShellView(dialog)));
                  // The navigation toolbar, not the system's places bar.
                  toolbar = FindDescendant(dialog.DialogHandle(), "ToolbarWindow32");
                  for (HWND w = GetWindow(dialog.DialogHandle(), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
                      if (ClassOf(w) == "ToolbarWindow32" && GetDlgCtrlID(w) != 1184) toolbar = w;
                  EXPECT_FALSE(IsWindowVisible(toolbar));
                  dialog.SetVisibleControls(kAllDlgControls);
                  EXPECT_TRUE(Visible(dialog, 1089));
                  EXPECT_TRUE(IsWindowVisible(toolbar));
                  EXPECT_TRUE(IsWindowVisible(ShellView(dialog)));
              }),
              Press(dialog, IDCANCEL)});
    dialog.Execute();
    EXPECT_NE(toolbar, nullptr);
}

TEST_F(OpenDialogTest, DeleteIsSwallowedOnlyInTheFileList) {
    dialog.ListViewStyles()->EnableDelete = false;
    DeleteKeys keys;
    std::string field;
    Script s({Opened(dialog), Check([&] {
                  SetFocus(FileList(dialog));
                  Key(VK_DELETE);
              }),
              Check([&] {
                  SetWindowTextA(dialog.FileNameField(), "abc");
                  SetFocus(dialog.FileNameField());
                  SendMessageA(dialog.FileNameField(), EM_SETSEL, 0, 0);
                  Key(VK_DELETE);
              }),
              Check([&] { field = TextOf(dialog.FileNameField()); }), Press(dialog, IDCANCEL)});
    dialog.Execute();
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
        if (item >= 0) {
            state.state = LVIS_SELECTED;
            SendMessageA(FileList(dialog), LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&state));
        }
        RECT r;
        GetWindowRect(FileList(dialog), &r);
        PostMessageA(ShellView(dialog), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(FileList(dialog)),
                     MAKELPARAM(r.right - 20, r.bottom - 20));
    };
    bool onEmpty = true, onSelection = false;
    Script s({Opened(dialog), Check([&] { rightClick(-1); }), Pause(), Check([&] { onEmpty = menuUp(); }),
              Check([&] { rightClick(0); }), [&] { return onSelection = menuUp(); }, Check([] { EndMenu(); }),
              Pause(), Press(dialog, IDCANCEL)});
    dialog.Execute();
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
    Script s({Opened(dialog), [&] {
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
              Check([&] { second = ListedNames(FileList(dialog)); }), Press(dialog, IDCANCEL)});
    dialog.Execute();
    EXPECT_EQ(first, (Names{"a.txt", "b.txt", "d.txt", "e.txt"}));
    EXPECT_EQ(second, (Names{"a.txt", "d.txt", "e.txt"}));
    EXPECT_EQ(sender, dialog.ExtFilter());
}

TEST_F(OpenDialogTest, SecondExecuteOpensAtTheSizeOfTheLastClose) {
    SIZE size{};
    {
        Script s({Opened(dialog), Pause(), Check([&] {
                      SetWindowPos(dialog.DialogHandle(), nullptr, 0, 0, 700, 520, SWP_NOMOVE | SWP_NOZORDER);
                  }),
                  Press(dialog, IDCANCEL)});
        dialog.Execute();
    }
    {
        Script s({Opened(dialog), Pause(), Check([&] {
                      RECT r;
                      GetWindowRect(dialog.DialogHandle(), &r);
                      size = {r.right - r.left, r.bottom - r.top};
                  }),
                  Press(dialog, IDCANCEL)});
        dialog.Execute();
    }
    EXPECT_EQ(size.cx, 700);
    EXPECT_EQ(size.cy, 520);
}

TEST_F(OpenDialogTest, NestedExecuteRestoresTheOuterAndCloseLeavesNothingBehind) {
    TApOpenDialog inner(tk::App);
    inner.InitialDir = dir.Path();
    HHOOK outerHooks[2] = {}, innerHooks[2] = {};
    std::vector<std::pair<HWND, LONG_PTR>> ours;  // windows and our procedures in them
    bool restored = false, foreignKept = false;
    dialog.OnShow = [&] {
        outerHooks[0] = TApCustomOpenDialog::KeyboardHook();
        outerHooks[1] = TApCustomOpenDialog::CallWndProcHook();
        inner.OnShow = [&] {
            innerHooks[0] = TApCustomOpenDialog::KeyboardHook();
            innerHooks[1] = TApCustomOpenDialog::CallWndProcHook();
        };
        inner.Execute();
        EXPECT_EQ(TApCustomOpenDialog::ActiveDialog(), &dialog);
        EXPECT_EQ(TApCustomOpenDialog::KeyboardHook(), outerHooks[0]);
        EXPECT_EQ(TApCustomOpenDialog::CallWndProcHook(), outerHooks[1]);
    };
    // By the folder change all four windows are ours.
    dialog.OnFolderChange = [&] {
        if (!ours.empty()) return;
        HWND dlg = dialog.DialogHandle();
        for (HWND w : {FindWindowExA(dlg, nullptr, "#32770", nullptr), ShellView(dialog), FileList(dialog), dlg})
            ours.emplace_back(w, GetWindowLongPtrA(w, GWLP_WNDPROC));
        // Someone subclasses the dialog after us.
        Foreign::previous = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(dlg, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Foreign::Proc)));
    };
    // The system destroys its shell view before the dialog goes, which
    // gives both back their procedures on the way.
    dialog.OnClose = [&] {
        restored = true;
        for (size_t i = 0; i + 1 < ours.size(); ++i)
            restored = restored && GetWindowLongPtrA(ours[i].first, GWLP_WNDPROC) != ours[i].second;
        foreignKept = GetWindowLongPtrA(ours.back().first, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(Foreign::Proc);
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
    Script s({Opened(dialog), Type(dialog, "a.txt"), Press(dialog, IDOK)});
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.FileName(), dir / "a.txt");
    ASSERT_FALSE(log.Boxes.empty());
    EXPECT_TRUE(log.Last().StandardErrorBox);
    EXPECT_EQ(log.Last().Text, "Folder refused.");
}

TEST_F(OpenDialogTest, APanelFormIsFoundByClassNameEmbeddedAtTheBottomAndGivenBack) {
    TBottomPanelForm panel;
    dialog.CustDlgParams()->SetBottomFormName("bottompanelform");
    HWND parent = nullptr, dlg = nullptr;
    RECT client{}, bounds{};
    bool shown = false;
    Script s({Opened(dialog), Pause(), Check([&] {
                  dlg = dialog.DialogHandle();
                  GetClientRect(dlg, &client);
                  parent = GetParent(panel.Handle());
                  shown = IsWindowVisible(panel.Handle());
                  GetWindowRect(panel.Handle(), &bounds);
                  MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&bounds), 2);
              }),
              Press(dialog, IDCANCEL)});
    dialog.Execute();
    EXPECT_EQ(parent, dlg);
    EXPECT_TRUE(shown);
    EXPECT_EQ(bounds.left, 0);
    EXPECT_EQ(bounds.bottom, client.bottom);
    EXPECT_EQ(bounds.right, client.right);
    EXPECT_EQ(bounds.bottom - bounds.top, 40);
    EXPECT_FALSE(IsWindowVisible(panel.Handle()));
    EXPECT_FALSE(GetWindowLongPtrA(panel.Handle(), GWL_STYLE) & WS_CHILD);
}
