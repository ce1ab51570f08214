#include "support/GuiFixture.h"
#include "toolkit/StdCtrls.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Runs an action from inside the next modal loop, as a person would act on
// a window that is up.
class Later {
public:
    explicit Later(std::function<void()> action) {
        pending_ = std::move(action);
        timer_ = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR id, DWORD) {
            KillTimer(nullptr, id);
            auto action = std::move(pending_);
            if (action) action();
        });
    }
    ~Later() { KillTimer(nullptr, timer_); }

private:
    static inline std::function<void()> pending_;
    UINT_PTR timer_;
};

struct Found {
    std::string caption;
    HWND wnd = nullptr;
};

HWND ThreadWindow(const std::string& caption) {
    Found f{caption};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM lp) -> BOOL {
            auto* f = reinterpret_cast<Found*>(lp);
            char text[128] = {};
            GetWindowTextA(w, text, sizeof text);
            if (IsWindowVisible(w) && f->caption == text) {
                f->wnd = w;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&f));
    return f.wnd;
}

// Texts of the children of one class, from left to right.
std::vector<std::string> ChildTexts(HWND parent, const char* cls) {
    std::vector<std::pair<LONG, std::string>> found;
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        char name[32] = {}, text[256] = {};
        GetClassNameA(c, name, sizeof name);
        GetWindowTextA(c, text, sizeof text);
        RECT r;
        GetWindowRect(c, &r);
        if (lstrcmpiA(name, cls) == 0 && text[0]) found.emplace_back(r.left, text);
    }
    std::stable_sort(found.begin(), found.end(), [](auto& a, auto& b) { return a.first < b.first; });
    std::vector<std::string> out;
    for (auto& f : found) out.push_back(f.second);
    return out;
}

HWND ChildByText(HWND parent, const std::string& text) {
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        char buf[256] = {};
        GetWindowTextA(c, buf, sizeof buf);
        if (text == buf) return c;
    }
    return nullptr;
}

}  // namespace

TEST(ModalShowing, CloseEndsItHidesTheWindowAndKeepsIt) {
    tk::Form form(tk::App);
    form.SetName("Probe");
    form.SetCaption("Probe");
    form.SetClientSize(200, 100);
    auto* edit = tk::Make<tk::Edit>(&form, &form, "Field", {8, 8, 100, 21}, "kept", 0);
    form.AfterConstruction();
    Later close([&] { PostMessageA(form.Handle(), WM_CLOSE, 0, 0); });
    EXPECT_EQ(form.ShowModal(), tk::mrCancel);
    EXPECT_FALSE(IsWindowVisible(form.Handle()));
    EXPECT_TRUE(IsWindow(form.Handle()));
    EXPECT_EQ(edit->Text(), "kept");
    // A button's modal result ends the next showing.
    auto* ok = tk::Make<tk::Button>(&form, &form, "Ok", {8, 40, 75, 25}, "Ok", 1);
    ok->ModalResult = tk::mrOk;
    Later press([&] { PostMessageA(ok->Handle(), BM_CLICK, 0, 0); });
    EXPECT_EQ(form.ShowModal(), tk::mrOk);
}

TEST(MessageBoxes, ShowKindCaptionTextAndButtonsAndReturnThePressedOne) {
    std::vector<std::string> buttons, texts;
    Later answer([&] {
        HWND box = ThreadWindow("Confirm");
        if (!box) return;
        buttons = ChildTexts(box, "Button");
        texts = ChildTexts(box, "Static");
        PostMessageA(ChildByText(box, "&No"), BM_CLICK, 0, 0);
    });
    int result = tk::MessageDlg("Replace & keep?", tk::MsgDlgType::Confirmation, {tk::mbYes, tk::mbNo});
    EXPECT_EQ(result, tk::mrNo);
    EXPECT_EQ(buttons, (std::vector<std::string>{"&Yes", "&No"}));
    EXPECT_EQ(texts, std::vector<std::string>{"Replace & keep?"});
}

TEST(MessageBoxes, CaptionsOfKindsAndButtons) {
    EXPECT_EQ(tk::MsgDlgCaption(tk::MsgDlgType::Warning), "Warning");
    EXPECT_EQ(tk::MsgDlgCaption(tk::MsgDlgType::Error), "Error");
    EXPECT_EQ(tk::MsgDlgCaption(tk::MsgDlgType::Information), "Information");
    EXPECT_EQ(tk::MsgDlgCaption(tk::MsgDlgType::Confirmation), "Confirm");
    const char* expected[] = {"&Yes", "&No", "OK", "Cancel", "&Abort", "&Retry", "&Ignore", "&All", "N&o to All",
                              "Yes to &All", "&Help"};
    for (int b = tk::mbYes; b <= tk::mbHelp; ++b)
        EXPECT_EQ(tk::MsgDlgButtonCaption(static_cast<tk::MsgDlgBtn>(b)), expected[b]);
}

TEST(Keyboard, EnterReachesTheEditUnlessTheFormHasADefaultButton) {
    tk::Form form(tk::App);
    form.SetClientSize(200, 100);
    auto* edit = tk::Make<tk::Edit>(&form, &form, "Field", {8, 8, 100, 21}, "", 0);
    std::string typed;
    edit->OnKeyPress = [&](char& key) { typed += key; };
    form.AfterConstruction();
    form.Show();
    edit->SetFocus();
    auto press = [&] {
        // The character comes from TranslateMessage, as for a real key.
        PostMessageA(edit->Handle(), WM_KEYDOWN, VK_RETURN, 1);
        PostMessageA(edit->Handle(), WM_KEYUP, VK_RETURN, 0xC0000001);
        tk::App->ProcessMessages();
    };
    press();
    EXPECT_EQ(typed, "\r");
    EXPECT_EQ(edit->Text(), "");  // no line break is ever entered

    auto* ok = tk::Make<tk::Button>(&form, &form, "Ok", {8, 40, 75, 25}, "Ok", 1);
    ok->Default = true;
    int clicks = 0;
    ok->OnClick = [&] { ++clicks; };
    edit->SetFocus();
    press();
    EXPECT_EQ(clicks, 1);
    form.Hide();
}

TEST(Keyboard, TabFollowsTheTabOrderNotTheDeclaredOrder) {
    tk::Form form(tk::App);
    form.SetClientSize(300, 200);
    auto* group = tk::Make<tk::GroupBox>(&form, &form, "Group", {8, 8, 200, 100}, "Group", 1);
    auto* inner = tk::Make<tk::Button>(&form, group, "Inner", {8, 16, 75, 25}, "Inner", 0);
    auto* second = tk::Make<tk::Edit>(&form, &form, "Second", {8, 120, 100, 21}, "", 2);
    auto* first = tk::Make<tk::Edit>(&form, &form, "First", {8, 150, 100, 21}, "", 0);
    tk::Make<tk::Label>(&form, &form, "Label", {120, 120, 50, 13}, "Label");
    form.AfterConstruction();
    std::vector<std::string> order;
    for (tk::Control* c : form.TabList()) order.push_back(c->Name());
    EXPECT_EQ(order, (std::vector<std::string>{"First", "Inner", "Second"}));
    form.Show();
    first->SetFocus();
    form.SelectNext(true);
    EXPECT_TRUE(inner->Focused());
    form.SelectNext(true);
    EXPECT_TRUE(second->Focused());
    form.SelectNext(true);
    EXPECT_TRUE(first->Focused());
    form.SelectNext(false);
    EXPECT_TRUE(second->Focused());
    form.Hide();
}
