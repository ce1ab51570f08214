#include "toolkit/Controls.h"
#include "toolkit/StdCtrls.h"

#include <gtest/gtest.h>

namespace {

// A component that records what it hears and links to a peer, like the
// folder list and its file list.
class Probe : public tk::Component {
public:
    explicit Probe(tk::Component* owner, std::vector<std::string>* log = nullptr) : tk::Component(owner), log_(log) {}
    ~Probe() override {
        if (log_) log_->push_back("destroy " + Name());
    }
    void Link(Probe* other) {
        peer = other;
        FreeNotification(other);
    }
    Probe* peer = nullptr;

protected:
    void Notification(tk::Component* c, tk::Operation op) override {
        if (op == tk::Operation::Remove && c == peer) peer = nullptr;
    }

private:
    std::vector<std::string>* log_;
};

}  // namespace

TEST(Component, OwnerDestroysWhatItOwnsLastMadeFirst) {
    std::vector<std::string> log;
    {
        Probe root(nullptr, &log);
        root.SetName("root");
        auto* a = new Probe(&root, &log);
        a->SetName("a");
        auto* b = new Probe(&root, &log);
        b->SetName("b");
        auto* a1 = new Probe(a, &log);
        a1->SetName("a1");
        EXPECT_EQ(root.ComponentCount(), 2);
        EXPECT_EQ(root.FindComponent("B"), b);  // names match without regard to case
        EXPECT_EQ(root.FindComponent("a1"), nullptr);  // only directly owned
        EXPECT_EQ(a->Owner(), &root);
        delete b;  // an owned component that dies leaves its owner's list
        EXPECT_EQ(root.ComponentCount(), 1);
    }
    EXPECT_EQ(log, (std::vector<std::string>{"destroy b", "destroy root", "destroy a", "destroy a1"}));
}

TEST(Component, FreeNotificationClearsLinksWhicheverSideDiesFirst) {
    Probe root(nullptr);
    auto* list = new Probe(&root);
    auto* files = new Probe(&root);
    list->Link(files);
    files->Link(list);
    delete files;
    EXPECT_EQ(list->peer, nullptr);

    auto* other = new Probe(&root);
    other->Link(list);
    list->Link(other);
    delete list;
    EXPECT_EQ(other->peer, nullptr);
}

TEST(PublishedProperties, TextAndObjectPropertiesByName) {
    tk::Form form(nullptr);
    auto* button = tk::Make<tk::Button>(&form, &form, "OkButton", {1, 2, 75, 25}, "Ok", 0);
    auto* edit = tk::Make<tk::Edit>(&form, &form, "Field", {1, 30, 75, 21}, "*.*", 1);
    auto* list = tk::Make<tk::ListBox>(&form, &form, "List", {1, 60, 75, 50});

    EXPECT_EQ(button->GetTextProp("Caption"), "Ok");
    button->SetTextProp("caption", "Fine");
    EXPECT_EQ(button->Caption(), "Fine");
    EXPECT_EQ(edit->GetTextProp("Text"), "*.*");
    EXPECT_EQ(edit->FindTextProperty("Caption"), nullptr);  // an edit publishes Text only
    EXPECT_THROW(edit->GetTextProp("Nothing"), tk::Exception);

    // Hint is declared on every control, whether set or not.
    EXPECT_NE(list->FindTextProperty("Hint"), nullptr);
    // Sub-objects: the font, and the items as a string list.
    tk::Persistent* font = button->GetObjectProp("Font");
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->GetTextProp("Name"), "MS Sans Serif");
    tk::Persistent* items = list->GetObjectProp("Items");
    ASSERT_NE(items, nullptr);
    ASSERT_NE(items->AsStrings(), nullptr);
    items->AsStrings()->SetCommaText("a,,b,c");
    EXPECT_EQ(list->Items()->Count(), 2);
    EXPECT_EQ(list->Items()->Get(0), "a,b");

    // Properties written before the window exists reach it when it is made.
    form.HandleNeeded();
    char text[32] = {};
    GetWindowTextA(button->Handle(), text, sizeof text);
    EXPECT_STREQ(text, "Fine");
    EXPECT_EQ(SendMessageA(list->Handle(), LB_GETCOUNT, 0, 0), 2);
}

TEST(PublishedProperties, ClassTablesChainToTheBase) {
    tk::Form form(nullptr);
    auto* label = tk::Make<tk::Label>(&form, &form, "Label1", {0, 0, 10, 10}, "x");
    std::vector<std::string> names;
    for (const tk::TextProperty* p : label->TextProperties()) names.push_back(p->Name);
    EXPECT_EQ(names, (std::vector<std::string>{"Name", "Hint", "Caption"}));
    EXPECT_TRUE(label->Class().InheritsFrom(tk::Control::StaticClass()));
    EXPECT_EQ(label->ClassName(), "TLabel");
}

TEST(StandardErrorBox, FullStopRule) {
    EXPECT_EQ(tk::ExceptionBoxText("Invalid data type for 'Language'"), "Invalid data type for 'Language'");
    EXPECT_EQ(tk::ExceptionBoxText("File not found"), "File not found.");
    EXPECT_EQ(tk::ExceptionBoxText("I/O error 21"), "I/O error 21.");  // digits sort after "."
    EXPECT_EQ(tk::ExceptionBoxText("Done."), "Done.");
    EXPECT_EQ(tk::ExceptionBoxText("Code (5)"), "Code (5)");
    EXPECT_EQ(tk::ExceptionBoxText("Trailing "), "Trailing ");
    EXPECT_EQ(tk::ExceptionBoxText("dash-"), "dash-");  // "-" sorts before "."
    EXPECT_EQ(tk::ExceptionBoxText("slash/"), "slash/.");
    EXPECT_EQ(tk::ExceptionBoxText(""), "");
}

TEST(InOutError, TextsByCode) {
    const std::pair<int, const char*> texts[] = {
        {2, "File not found"}, {3, "Invalid filename"}, {4, "Too many open files"}, {5, "File access denied"},
        {21, "I/O error 21"}};
    for (auto [code, text] : texts) {
        EXPECT_STREQ(tk::EInOutError(code).what(), text);
        EXPECT_EQ(tk::EInOutError(code).ErrorCode, code);
    }
}

TEST(ApplicationEventsHints, TheNewestHearsFirstAndCanStopTheOthers) {
    tk::Form form(nullptr);
    auto* button = tk::Make<tk::Button>(&form, &form, "B", {0, 0, 75, 25}, "B");
    button->SetHint("own hint");
    auto* older = tk::MakeComponent<tk::ApplicationEvents>(&form, "Older");
    auto* newer = tk::MakeComponent<tk::ApplicationEvents>(&form, "Newer");
    std::vector<std::string> heard;
    older->OnShowHint = [&](std::string& text, bool&, tk::HintInfo& info) {
        heard.push_back("older saw " + text);
        info.HideTimeout = 1;
    };
    newer->OnShowHint = [&](std::string& text, bool&, tk::HintInfo& info) {
        heard.push_back("newer saw " + text);
        text = "changed";
        info.HideTimeout = 99999;
        if (info.HintControl == button) newer->CancelDispatch();
    };
    bool canShow = true;
    tk::HintInfo info = tk::App->PrepareHint(button, canShow);
    EXPECT_EQ(heard, std::vector<std::string>{"newer saw own hint"});
    EXPECT_EQ(info.HintStr, "changed");
    EXPECT_EQ(info.HideTimeout, 99999);
    heard.clear();
    info = tk::App->PrepareHint(&form, canShow);  // not stopped this time
    EXPECT_EQ(heard, (std::vector<std::string>{"newer saw ", "older saw changed"}));
    EXPECT_EQ(info.HideTimeout, 1);
}
