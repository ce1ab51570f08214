#include "support/Windows.h"
#include "toolkit/Controls.h"
#include "toolkit/StdCtrls.h"

#include <gtest/gtest.h>

namespace {

// A component that records what it hears and links to a peer, like the
// folder list and its file list.
class Probe : public tk::Component {
public:
    Probe(tk::Component* owner, const char* name, std::vector<std::string>* log = nullptr)
        : tk::Component(owner), log_(log) {
        SetName(name);
    }
    ~Probe() override { if (log_) log_->push_back(Name()); }
    void Link(Probe* other) {
        peer = other;
        FreeNotification(other);
    }
    void Notification(tk::Component* c, tk::Operation op) override {
        if (op == tk::Operation::Remove && c == peer) peer = nullptr;
    }
    Probe* peer = nullptr;
    std::vector<std::string>* log_;
};

}  // namespace

TEST(Component, OwnerDestroysWhatItOwnsLastMadeFirstAndLinksAreClearedWhicheverSideDiesFirst) {
    std::vector<std::string> log;
    {
        Probe root(nullptr, "root", &log);
        auto* a = new Probe(&root, "a", &log);
        auto* b = new Probe(&root, "b", &log);
        new Probe(a, "a1", &log);
        EXPECT_EQ(root.FindComponent("B"), b);  // names match without regard to case
        EXPECT_EQ(root.FindComponent("a1"), nullptr);  // only directly owned
        delete b;  // an owned component that dies leaves its owner's list
        EXPECT_EQ(root.ComponentCount(), 1);
    }
    EXPECT_EQ(log, (std::vector<std::string>{"b", "root", "a", "a1"}));
    // Free notification clears links whichever side dies first.
    Probe root(nullptr, "root");
    auto* list = new Probe(&root, "list");
    auto* files = new Probe(&root, "files");
    list->Link(files);
    files->Link(list);
    delete files;
    EXPECT_EQ(list->peer, nullptr);
    auto* other = new Probe(&root, "other");
    other->Link(list);
    list->Link(other);
    delete list;
    EXPECT_EQ(other->peer, nullptr);
}

TEST(PublishedProperties, TextAndObjectPropertiesByNameReachTheWindowWhenItIsMade) {
    tk::Form form(nullptr);
    auto* button = tk::Make<tk::Button>(&form, &form, "OkButton", {1, 2, 75, 25}, "Ok", 0);
    auto* edit = tk::Make<tk::Edit>(&form, &form, "Field", {1, 30, 75, 21}, "*.*", 1);
    auto* list = tk::Make<tk::ListBox>(&form, &form, "List", {1, 60, 75, 50});
    button->SetTextProp("caption", "Fine");
    EXPECT_EQ(edit->GetTextProp("Text"), "*.*");
    EXPECT_EQ(edit->FindTextProperty("Caption"), nullptr);  // an edit publishes Text only
    EXPECT_THROW(edit->GetTextProp("Nothing"), tk::Exception);
    EXPECT_NE(list->FindTextProperty("Hint"), nullptr);  // declared on every control
    // Sub-objects: the font, and the items as a string list.
    ASSERT_NE(button->GetObjectProp("Font"), nullptr);
    EXPECT_NE(button->GetObjectProp("Font")->FindTextProperty("Name"), nullptr);
    tk::Persistent* items = list->GetObjectProp("Items");
    ASSERT_TRUE(items && items->AsStrings());
    items->AsStrings()->SetCommaText("a,,b,c");
    EXPECT_EQ(list->Items()->ToVector(), (std::vector<std::string>{"a,b", "c"}));
    form.HandleNeeded();
    EXPECT_EQ(testsupport::TextOf(button->Handle()), "Fine");
    EXPECT_EQ(SendMessageA(list->Handle(), LB_GETCOUNT, 0, 0), 2);
}

TEST(StandardErrorBox, FullStopUnlessTheTextEndsInAFullStopOrSortsBeforeIt) {
    // "-" sorts before "." and digits after it.
    for (auto [text, shown] : {std::pair{"Invalid data type for 'Language'", "Invalid data type for 'Language'"},
                               {"File not found", "File not found."}, {"I/O error 21", "I/O error 21."},
                               {"Done.", "Done."}, {"Code (5)", "Code (5)"}, {"Trailing ", "Trailing "},
                               {"dash-", "dash-"}, {"slash/", "slash/."}, {"", ""}})
        EXPECT_EQ(tk::ExceptionBoxText(text), shown);
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
    EXPECT_EQ(info.HintStr + " " + std::to_string(info.HideTimeout), "changed 99999");
    heard.clear();
    info = tk::App->PrepareHint(&form, canShow);  // not stopped this time
    EXPECT_EQ(heard, (std::vector<std::string>{"newer saw ", "older saw changed"}));
    EXPECT_EQ(info.HideTimeout, 1);
}

TEST(CarriedName, AnExactNameIsKeptAnyOtherIsRefusedByName) {
    EXPECT_EQ(tk::CarriedName(L"C:\\\u65e5\u672c-\u0436-\U0001F600.txt"), "C:\\日本-ж-😀.txt");
    // A lone surrogate has no form in UTF-8: a look-alike could name another file.
    try {
        tk::CarriedName(L"C:\\Lone-\xD800-half.txt");
        ADD_FAILURE() << "no refusal";
    } catch (const tk::Exception& e) {
        EXPECT_NE(e.Message().find("C:\\Lone-"), std::string::npos) << e.Message();
        EXPECT_NE(e.Message().find("-half.txt\" cannot be used"), std::string::npos) << e.Message();
    }
}
