#include "support/GuiFixture.h"
#include "support/Windows.h"
#include "toolkit/StdCtrls.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

// Runs an action from inside the next modal loop, as a person would act on
// a window that is up.
class Later {
public:
    explicit Later(std::function<void()> action) {
        pending_ = std::move(action);
        timer_ = SetTimer(nullptr, 0, 50, Fire);
    }
    ~Later() { KillTimer(nullptr, timer_); }

private:
    static void CALLBACK Fire(HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        if (auto action = std::move(pending_)) action();
    }
    static inline std::function<void()> pending_;
    UINT_PTR timer_;
};

}  // namespace

TEST(ModalShowing, CloseOrAModalButtonEndsItAndTheWindowIsKept) {
    tk::Form form(tk::App);
    form.SetClientSize(200, 100);
    auto* edit = tk::Make<tk::Edit>(&form, &form, "Field", {8, 8, 100, 21}, "kept", 0);
    auto* ok = tk::Make<tk::Button>(&form, &form, "Ok", {8, 40, 75, 25}, "Ok", 1);
    ok->ModalResult = tk::mrOk;
    form.AfterConstruction();
    Later close([&] { PostMessageA(form.Handle(), WM_CLOSE, 0, 0); });
    EXPECT_EQ(form.ShowModal(), tk::mrCancel);
    EXPECT_FALSE(IsWindowVisible(form.Handle()));
    EXPECT_EQ(edit->Text(), "kept");
    Later press([&] { PostMessageA(ok->Handle(), BM_CLICK, 0, 0); });
    EXPECT_EQ(form.ShowModal(), tk::mrOk);
}

TEST(MessageBoxes, ShowKindCaptionTextAndButtonsAndReturnThePressedOne) {
    std::vector<std::string> buttons, texts;
    Later answer([&] {
        HWND box = VisibleWindowOf(GetCurrentProcessId(), "Confirm");
        buttons = TextsOf(box, "Button");
        texts = TextsOf(box, "Static");
        PostMessageA(FindDescendant(box, "Button", "&No"), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(tk::MessageDlg("Replace & keep?", tk::MsgDlgType::Confirmation, {tk::mbYes, tk::mbNo}), tk::mrNo);
    EXPECT_EQ(buttons, (std::vector<std::string>{"&Yes", "&No"}));
    EXPECT_EQ(texts, std::vector<std::string>{"Replace & keep?"});
}

TEST(Keyboard, EnterReachesTheEditUnlessTheFormHasADefaultButton) {
    tk::Form form(tk::App);
    form.SetClientSize(200, 100);
    auto* edit = tk::Make<tk::Edit>(&form, &form, "Field", {8, 8, 100, 21}, "", 0);
    std::string typed;
    edit->OnKeyPress = [&](char& key) { typed += key; };
    form.AfterConstruction();
    form.Show();
    auto pressEnter = [&] {
        edit->SetFocus();
        // The character comes from TranslateMessage, as for a real key.
        PostMessageA(edit->Handle(), WM_KEYDOWN, VK_RETURN, 1);
        PostMessageA(edit->Handle(), WM_KEYUP, VK_RETURN, 0xC0000001);
        tk::App->ProcessMessages();
    };
    pressEnter();
    EXPECT_EQ(typed, "\r");
    EXPECT_EQ(edit->Text(), "");  // no line break is ever entered

    auto* ok = tk::Make<tk::Button>(&form, &form, "Ok", {8, 40, 75, 25}, "Ok", 1);
    ok->Default = true;
    int clicks = 0;
    ok->OnClick = [&] { ++clicks; };
    pressEnter();
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(typed, "\r");
    form.Hide();
}

TEST(Keyboard, TabFollowsTheTabOrderIntoContainersNotTheDeclaredOrder) {
    tk::Form form(tk::App);
    form.SetClientSize(300, 200);
    auto* group = tk::Make<tk::GroupBox>(&form, &form, "Group", {8, 8, 200, 100}, "Group", 1);
    auto* inner = tk::Make<tk::Button>(&form, group, "Inner", {8, 16, 75, 25}, "Inner", 0);
    auto* second = tk::Make<tk::Edit>(&form, &form, "Second", {8, 120, 100, 21}, "", 2);
    auto* first = tk::Make<tk::Edit>(&form, &form, "First", {8, 150, 100, 21}, "", 0);
    tk::Make<tk::Label>(&form, &form, "Label", {120, 120, 50, 13}, "Label");
    form.AfterConstruction();
    form.Show();
    first->SetFocus();
    for (tk::Control* next : {static_cast<tk::Control*>(inner), static_cast<tk::Control*>(second),
                              static_cast<tk::Control*>(first)}) {
        form.SelectNext(true);
        EXPECT_TRUE(next->Focused()) << next->Name();
    }
    form.SelectNext(false);
    EXPECT_TRUE(second->Focused());
    form.Hide();
}
