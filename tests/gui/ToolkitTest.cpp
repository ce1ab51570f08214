#include "support/GuiFixture.h"
#include "support/Script.h"
#include "support/Windows.h"
#include "toolkit/StdCtrls.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

struct TestForm : tk::Form {
    TestForm() : tk::Form(tk::App) {
        SetClientSize(300, 200);
        SetName("TestForm");
    }
};

// Posts a message to a control once it is on screen, as a person acts on
// what is shown.
Script::Step PostWhenShown(tk::Control* c, UINT msg) {
    return [c, msg] { return IsWindowVisible(c->Handle()) && PostMessageA(c->Handle(), msg, 0, 0); };
}

// A procedure that someone else puts in front of a toolkit control's.
struct Foreign {
    static inline WNDPROC previous = nullptr;
    static inline int ncDestroys = 0;
    static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_NCDESTROY) ++ncDestroys;
        return CallWindowProcA(previous, wnd, msg, wp, lp);
    }
};

// What reached a window's procedure, as the control it was linked to then.
struct Reached {
    static inline HWND wnd = nullptr;
    static inline std::vector<tk::Control*> controls;
    static LRESULT CALLBACK Proc(int code, WPARAM wp, LPARAM lp) {
        auto* m = reinterpret_cast<CWPSTRUCT*>(lp);
        if (code == HC_ACTION && m->hwnd == wnd) controls.push_back(tk::Control::FromHandle(m->hwnd));
        return CallNextHookEx(nullptr, code, wp, lp);
    }
};
struct Swatch : tk::GraphicControl {
    using tk::GraphicControl::GraphicControl;
    std::vector<std::string> events;
    void Paint(HDC dc) override {
        RECT r{0, 0, Width(), Height()};
        FillRect(dc, &r, tk::BrushHandle(CreateSolidBrush(RGB(255, 0, 0))).get());
    }
    void MouseDown(tk::MouseButton, tk::ShiftState, int x, int y) override { events.push_back(tk::Format("down %d,%d", x, y)); }
};
}  // namespace

TEST(ModalShowing, CloseOrAModalButtonEndsItAndTheWindowIsKept) {
    TestForm form;
    auto* edit = tk::Make<tk::Edit>(&form, &form, "Field", {8, 8, 100, 21}, "kept", 0);
    auto* ok = tk::Make<tk::Button>(&form, &form, "Ok", {8, 40, 75, 25}, "Ok", 1);
    ok->ModalResult = tk::mrOk;
    form.AfterConstruction();
    Script script({PostWhenShown(&form, WM_CLOSE), PostWhenShown(ok, BM_CLICK)});
    EXPECT_EQ(form.ShowModal(), tk::mrCancel);
    EXPECT_FALSE(IsWindowVisible(form.Handle()));
    EXPECT_EQ(edit->Text(), "kept");
    EXPECT_EQ(form.ShowModal(), tk::mrOk);
}

TEST(MessageBoxes, ShowKindCaptionTextAndButtonsAndReturnThePressedOne) {
    std::vector<std::string> buttons, texts;
    Script answer({[&] {
        HWND box = VisibleWindowOf(GetCurrentProcessId(), "Confirm");
        buttons = TextsOf(box, "Button");
        texts = TextsOf(box, "Static");
        return box && PostMessageA(FindDescendant(box, "Button", "&No"), BM_CLICK, 0, 0);
    }});
    EXPECT_EQ(tk::MessageDlg("Replace & keep?", tk::MsgDlgType::Confirmation, {tk::mbYes, tk::mbNo}), tk::mrNo);
    EXPECT_EQ(buttons, (std::vector<std::string>{"&Yes", "&No"}));
    EXPECT_EQ(texts, std::vector<std::string>{"Replace & keep?"});
}

TEST(Keyboard, TabOrderAltWithALabelsLetterAndEnter) {
    TestForm form;
    auto* group = tk::Make<tk::GroupBox>(&form, &form, "Group", {8, 8, 200, 100}, "Group", 1);
    auto* inner = tk::Make<tk::Button>(&form, group, "Inner", {8, 16, 75, 25}, "Inner", 0);
    auto* second = tk::Make<tk::Edit>(&form, &form, "Second", {8, 120, 100, 21}, "", 2);
    auto* first = tk::Make<tk::Edit>(&form, &form, "First", {8, 150, 100, 21}, "", 0);
    tk::Make<tk::Label>(&form, &form, "Label", {120, 120, 50, 13}, "Na&me:")->FocusControl = second;
    std::string typed;
    first->OnKeyPress = [&](char& key) { typed += key; };
    form.AfterConstruction();
    form.Show();
    // Tab follows the tab order into containers, not the declared order.
    first->SetFocus();
    for (tk::Control* next : std::initializer_list<tk::Control*>{inner, second, first}) {
        form.SelectNext(true);
        EXPECT_TRUE(next->Focused()) << next->Name();
    }
    form.SelectNext(false);
    EXPECT_TRUE(second->Focused());
    // Alt and a label's marked letter focus the control it names.
    first->SetFocus();
    MSG alt{first->Handle(), WM_SYSKEYDOWN, 'N', 0, 0, {}};
    EXPECT_FALSE(form.DialogKey(alt));
    alt.wParam = 'M';
    EXPECT_TRUE(form.DialogKey(alt));
    EXPECT_TRUE(second->Focused());
    // Enter reaches the edit unless the form has a default button.
    auto* ok = tk::Make<tk::Button>(&form, &form, "Ok", {120, 150, 75, 25}, "Ok", 3);
    int clicks = 0;
    ok->OnClick = [&] { ++clicks; };
    for (bool withDefault : {false, true}) {
        ok->Default = withDefault;
        first->SetFocus();
        // The character comes from TranslateMessage, as for a real key.
        PostMessageA(first->Handle(), WM_KEYDOWN, VK_RETURN, 1);
        PostMessageA(first->Handle(), WM_KEYUP, VK_RETURN, 0xC0000001);
        tk::App->ProcessMessages();
        EXPECT_EQ(typed + first->Text(), "\r");  // no line break is ever entered
        EXPECT_EQ(clicks, withDefault ? 1 : 0);
    }
}

TEST(Release, TheComponentOutlivesTheMessageBeingHandled) {
    tk::Form owner(tk::App);
    auto* edit = tk::Make<tk::Edit>(&owner, &owner, "Field", {8, 8, 100, 21});
    HWND wnd = edit->Handle();
    tk::Release(edit);
    EXPECT_TRUE(IsWindow(wnd));
    EXPECT_EQ(owner.ComponentCount(), 0);
    tk::App->ProcessMessages();
    EXPECT_FALSE(IsWindow(wnd));
}

TEST(Subclassing, AForeignProcedureStaysHookedWhicheverGoesFirst) {
    for (bool foreignLeavesFirst : {true, false}) {
        auto form = std::make_unique<TestForm>();
        auto* edit = tk::Make<tk::Edit>(form.get(), form.get(), "Field", {8, 8, 100, 21}, "", 0);
        std::string typed;
        edit->OnKeyPress = [&](char& key) { typed += key; };
        form->AfterConstruction();
        HWND wnd = edit->Handle();
        Foreign::ncDestroys = 0;
        Foreign::previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Foreign::Proc)));
        // A key passes the foreign procedure, then ours, then the edit's own.
        SendMessageA(wnd, WM_CHAR, 'x', 1);
        EXPECT_EQ(typed + edit->Text(), "xx") << foreignLeavesFirst;
        EXPECT_EQ(tk::Control::FromHandle(wnd), edit);
        if (foreignLeavesFirst) SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Foreign::previous));
        form.reset();
        EXPECT_FALSE(IsWindow(wnd));
        // A foreign procedure still in front saw the window to its end.
        EXPECT_EQ(Foreign::ncDestroys, foreignLeavesFirst ? 0 : 1);
    }
}

TEST(Destruction, ADyingFormHearsNothingOfItsWindow) {
    Reached::controls.clear();
    auto form = std::make_unique<TestForm>();
    tk::Make<tk::Edit>(form.get(), form.get(), "Field", {8, 8, 100, 21}, "", 0);
    form->AfterConstruction();
    form->Show();
    Reached::wnd = form->Handle();
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, Reached::Proc, nullptr, GetCurrentThreadId());
    form.reset();
    UnhookWindowsHookEx(hook);
    EXPECT_FALSE(Reached::controls.empty());
    for (tk::Control* c : Reached::controls) EXPECT_EQ(c, nullptr);
}

TEST(Geometry, SizesFollowTheWindowAndResizeIsTold) {
    TestForm form;
    form.FormBorderStyle = tk::BorderStyle::Sizeable;
    auto* edit = tk::Make<tk::Edit>(&form, &form, "Field", {8, 8, 100, 21}, "", 0);
    int formResizes = 0, editResizes = 0;
    form.OnResize = [&] { ++formResizes; };
    edit->OnResize = [&] { ++editResizes; };
    form.AfterConstruction();
    SetWindowPos(form.Handle(), nullptr, 0, 0, 420, 330, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client{};
    GetClientRect(form.Handle(), &client);
    EXPECT_EQ((std::vector<LONG>{form.Width(), form.Height(), form.ClientWidth(), form.ClientHeight(), formResizes}),
              (std::vector<LONG>{420, 330, client.right, client.bottom, 1}));
    MoveWindow(edit->Handle(), 20, 30, 150, 25, TRUE);
    EXPECT_EQ((std::vector<int>{edit->Left(), edit->Top(), edit->Width(), edit->Height(), editResizes}),
              (std::vector<int>{20, 30, 150, 25, 1}));
    edit->SetBounds(20, 30, 120, 25);
    EXPECT_EQ(editResizes, 2);
}

TEST(Identifiers, StayClearOfTheFileDialogAndAreNeverSharedWhileInUse) {
    tk::Edit keeper(nullptr);
    for (int i = 0; i < 30000; ++i) {
        tk::Label passing(nullptr);
        int id = passing.Id();
        ASSERT_NE(id, keeper.Id());
        // The file dialog's controls lie from 1000 to 1200, its commands from 0xA000.
        ASSERT_TRUE(id > 0 && (id < 1000 || id > 1200) && id < 0xA000) << id;
    }
}

TEST(Recreation, KeepsTheStateOfEveryDescendant) {
    TestForm form;
    auto* group = tk::Make<tk::GroupBox>(&form, &form, "Group", {8, 8, 250, 150}, "Group", 0);
    auto* edit = tk::Make<tk::Edit>(&form, group, "Field", {8, 16, 100, 21}, "", 0);
    auto* check = tk::Make<tk::CheckBox>(&form, group, "Check", {8, 40, 100, 17}, "Check", 1);
    auto* list = tk::Make<tk::ListBox>(&form, group, "List", {120, 16, 100, 100}, "", 2);
    list->MultiSelect = true;
    for (const char* s : {"a", "b", "c"}) list->Items()->Add(s);
    form.AfterConstruction();
    // What a person does, straight to the windows.
    SetWindowTextA(edit->Handle(), "typed");
    SendMessageA(check->Handle(), BM_SETCHECK, BST_CHECKED, 0);
    SendMessageA(list->Handle(), LB_SETSEL, TRUE, 0);
    SendMessageA(list->Handle(), LB_SETSEL, TRUE, 2);
    form.RecreateWnd();
    EXPECT_EQ(edit->Text(), "typed");
    EXPECT_TRUE(check->Checked());
    EXPECT_EQ((std::vector<bool>{list->Selected(0), list->Selected(1), list->Selected(2)}),
              (std::vector<bool>{true, false, true}));
}

TEST(Halt, EndsTheEventLoopCleanlyWithItsExitCodeAlsoFromAModalWindow) {
    TestForm main, modal;
    auto* go = tk::Make<tk::Button>(&main, &main, "Go", {8, 8, 75, 25}, "Go", 0);
    auto* stop = tk::Make<tk::Button>(&modal, &modal, "Stop", {8, 8, 75, 25}, "Stop", 0);
    main.AfterConstruction();
    modal.AfterConstruction();
    tk::Form* saved = std::exchange(tk::App->MainForm, &main);
    // A person presses Go once the event loop runs.
    auto runUntilHalt = [&] {
        Script press({PostWhenShown(go, BM_CLICK)});
        return tk::App->Run();
    };
    go->OnClick = [] { throw tk::EHalt{5}; };
    EXPECT_EQ(runUntilHalt(), 5);
    stop->OnClick = [] { throw tk::EHalt{6}; };
    go->OnClick = [&] {
        Script press({PostWhenShown(stop, BM_CLICK)});
        modal.ShowModal();
    };
    EXPECT_EQ(runUntilHalt(), 6);
    EXPECT_FALSE(IsWindowVisible(modal.Handle()));
    tk::App->MainForm = saved;
}

TEST(Windowless, PaintedByItsParentHandedTheMouseAndReleasedWhenTheMouseIsTaken) {
    TestForm form;
    auto* swatch = tk::Make<Swatch>(&form, &form, "Swatch", {40, 30, 20, 10});
    auto* button = tk::Make<tk::SpeedButton>(&form, &form, "Speedy", {40, 60, 23, 22});
    swatch->Cursor = tk::crHandPoint;
    int clicks = 0, buttonClicks = 0;
    swatch->OnClick = [&] { ++clicks; };
    button->OnClick = [&] { ++buttonClicks; };
    form.AfterConstruction();
    form.Show();
    UpdateWindow(form.Handle());
    {
        tk::WindowDc dc(form.Handle());
        EXPECT_EQ(GetPixel(dc.get(), 45, 35), RGB(255, 0, 0));
        EXPECT_NE(GetPixel(dc.get(), 65, 35), RGB(255, 0, 0));
    }
    HWND w = form.Handle();
    for (bool enabled : {false, true})
        for (int x : {45, 100}) {  // released elsewhere: no click
            swatch->SetEnabled(enabled);
            SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(42, 33));
            SendMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(x, 35));
        }
    EXPECT_EQ(swatch->events, (std::vector<std::string>{"down 2,3", "down 2,3"}));
    EXPECT_EQ(clicks, 1);
    SetCursorPos(swatch->ScreenRect().left + 1, swatch->ScreenRect().top + 1);
    EXPECT_TRUE(SendMessageA(w, WM_SETCURSOR, reinterpret_cast<WPARAM>(w), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_EQ(GetCursor(), tk::CursorHandle(tk::crHandPoint));
    EXPECT_EQ(tk::Control::ControlAtPos({swatch->ScreenRect().left + 1, swatch->ScreenRect().top + 1}), swatch);

    // A pressed button whose mouse is taken, as a menu or a drag of another window takes it.
    HWND thief = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(45, 65));
    EXPECT_TRUE(button->Pressed());
    SetCapture(thief);
    EXPECT_FALSE(button->Pressed());
    SendMessageA(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(46, 65));
    EXPECT_FALSE(button->Pressed());
    SendMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(46, 65));
    EXPECT_EQ(buttonClicks, 0);
    SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(45, 65));
    SendMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(46, 65));
    EXPECT_EQ(buttonClicks, 1);
    DestroyWindow(thief);
}

TEST(Text, EveryCharacterIsMeasuredAsItIsShown) {
    TestForm form;
    auto* label = tk::Make<tk::Label>(&form, &form, "Label", {8, 8, 10, 13}, "", 0);
    form.AfterConstruction();
    for (const char* text : {"plain.txt", "日本語のファイル名", "Жёсткая ссылка", "😀😀😀 ε̈"}) {
        label->SetCaption(text);
        const std::wstring wide = Wide(text);
        wchar_t shown[64] = {};
        GetWindowTextW(label->Handle(), shown, 64);
        EXPECT_EQ(std::wstring(shown), wide) << text;
        tk::WindowDc dc(label->Handle());
        tk::SelectObj font(dc.get(), reinterpret_cast<HFONT>(SendMessageA(label->Handle(), WM_GETFONT, 0, 0)));
        SIZE size{};
        GetTextExtentPoint32W(dc.get(), wide.c_str(), static_cast<int>(wide.size()), &size);
        EXPECT_GE(label->Width(), size.cx) << text;
        EXPECT_LE(label->Width(), size.cx + 2) << text;
    }
}
