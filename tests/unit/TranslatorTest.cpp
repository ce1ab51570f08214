#include "i18n/vgNLS.h"
#include "support/Files.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace testsupport;
using Texts = std::vector<std::string>;

TEST(CommaText, CommasAreDoubledAndTheTextReadsBack) {
    const std::pair<Texts, std::string> both[] = {
        {{}, ""}, {{"a,b"}, "a,,b"}, {{"x", "a,b", "y"}, "x,a,,b,y"}, {{"", "a"}, ",a"}, {{"one, two", "3"}, "one,, two,3"}};
    for (const auto& [items, text] : both) {
        EXPECT_EQ(tk::ToCommaText(items), text);
        EXPECT_EQ(tk::FromCommaText(text), items) << text;
    }
    EXPECT_EQ(tk::ToCommaText({""}), "");  // the same text as the empty list
    EXPECT_EQ(tk::FromCommaText("a,b,"), (Texts{"a", "b"}));  // a trailing comma adds no item
}

// Outside a walk every lookup reads the file afresh (LanguageTextTest holds a
// walk's reading to the system's); here the default, the cut, the missing file.
TEST(LanguageReader, DefaultsCutAndFilesThatAreNotThere) {
    TempDir dir;
    std::string value;
    for (int i = 0; i < 3000; ++i) value += static_cast<char>('a' + i % 26);
    std::string file = dir.MakeFile("Test.lng", "[Messages]\r\nLong=" + value + "\r\nExact=" + value.substr(0, 2047) + "\r\n");
    TLanguageReader reader(file);
    EXPECT_EQ(reader.ReadString("Messages", "Long", "x"), value.substr(0, 2047));
    EXPECT_EQ(reader.ReadString("Messages", "Exact", "x"), value.substr(0, 2047));
    // A missing key gives the default whole: trailing blanks, and longer than any value.
    for (const std::string& fallback : {std::string(" Input (files: "), value})
        EXPECT_EQ(reader.ReadString("Messages", "Missing", fallback), fallback);
    EXPECT_EQ(TLanguageReader(dir / "Missing.lng").ReadString("Messages", "Box", "  kept "), "  kept ");
    EXPECT_EQ(TLanguageReader("").ReadString("Messages", "Box", "no file"), "no file");
    // Not held open: an edit shows at the next lookup.
    dir.MakeFile("Test.lng", "[Messages]\r\nLong=short\r\n");
    EXPECT_EQ(reader.ReadString("Messages", "Long", "x"), "short");
}

// ---- the walk over a component tree ----

namespace {

// A component with a text, a string list and a component reached through a
// property (collections: ApOpenDlgTest, over the places bar's places).
class TWidget : public tk::Component {
public:
    TWidget(tk::Component* owner, const char* name, const char* text)
        : tk::Component(owner) {
        SetName(name);
        caption = text;
    }
    static const tk::ClassInfo& StaticClass() {
        static const tk::ClassInfo info{
            "TWidget", &tk::Component::StaticClass(), {tk::TextProp("Caption", &TWidget::Caption, &TWidget::SetCaption)},
            {tk::ObjectProp("Items", &TWidget::Items), tk::ObjectProp("Buddy", &TWidget::Buddy)}};
        return info;
    }
    const tk::ClassInfo& Class() const override { return StaticClass(); }
    std::string Caption() const { return caption; }
    void SetCaption(const std::string& v) {
        if (v == "FAIL") throw tk::Exception("refused");
        caption = v;
    }
    tk::StringList* Items() const { return &items; }
    tk::Component* Buddy() const { return buddy; }

    std::string caption;
    mutable tk::StringList items;
    tk::Component* buddy = nullptr;
};

// Form owns Button, Box (which owns Inner), an unnamed component (which owns
// Hidden) and the translator. Every lookup is recorded and answered <old>.
struct Tree {
    tk::Component root{nullptr};
    TWidget* form = new TWidget(&root, "Form", "Main");
    TWidget* button = new TWidget(form, "Button", "Press");
    TWidget* box = new TWidget(form, "Box", "Box");
    TWidget* inner = new TWidget(box, "Inner", "Inside");
    TWidget* unnamed = new TWidget(form, "", "Nameless");
    TWidget* hidden = new TWidget(unnamed, "Hidden", "Hidden");
    TvgTranslator* translator = tk::MakeComponent<TvgTranslator>(form, "Translator");
    Texts paths;
    std::string refuse;  // a caption answered with a text its setter refuses

    Tree() {
        button->items.Assign({"a,b", "c"});
        button->buddy = form;
        translator->OnTranslateProp = [this](TvgCustomTranslator*, const std::string& path, const std::string& old,
                                             std::string& now) {
            paths.push_back(path);
            now = path == "Form.Button.Items" ? "one,,1,two" : old == refuse ? "FAIL" : "<" + old + ">";
        };
    }
    Texts Sorted() const {
        Texts sorted = paths;
        std::sort(sorted.begin(), sorted.end());
        return sorted;
    }
    bool Looked(const std::string& path) const { return std::find(paths.begin(), paths.end(), path) != paths.end(); }
    bool Clean() const { return !translator->Walking() && !translator->RootObject() && translator->CurrentPath().empty(); }
};

}  // namespace

TEST(TranslatorWalk, PathsFollowOwnershipAndNamedComponentsOnlyAndAFilterLimitsThem) {
    Tree t;
    t.translator->Translate();  // the owner: Form
    // Each text once: Form is not walked again through Button's Buddy; no
    // unnamed component or anything it owns, no name, language file or filter.
    EXPECT_EQ(t.Sorted(), (Texts{"Form.Box.Caption", "Form.Box.Inner.Caption", "Form.Box.Inner.Items", "Form.Box.Items",
                             "Form.Button.Caption", "Form.Button.Items", "Form.Caption", "Form.Items"}));
    EXPECT_EQ(t.form->caption, "<Main>");
    EXPECT_EQ(t.button->items.ToVector(), (Texts{"one,1", "two"}));  // one key: the comma text
    EXPECT_TRUE(t.Clean());

    // A filter's paths match without regard to case.
    Tree f;
    f.translator->Properties()->Assign({"form.BUTTON.caption", "FORM.button.ITEMS"});
    f.translator->Translate();
    EXPECT_EQ(f.Sorted(), (Texts{"Form.Button.Caption", "Form.Button.Items"}));
    EXPECT_EQ(f.button->caption + f.form->caption, "<Press>Main");
}

TEST(TranslatorWalk, AComponentWhoseOwnerWasNotVisitedIsSkipped) {
    Tree t;
    tk::Component elsewhere(nullptr);
    TWidget* stranger = new TWidget(&elsewhere, "Stranger", "Alien");
    t.translator->OnTranslatePropInstance = [&](TvgCustomTranslator* sender, tk::Persistent* instance) {
        if (instance == t.box) sender->TranslateObject(stranger);   // owner not in this walk
        if (instance == t.button) sender->TranslateObject(t.inner);  // owner Box not visited yet
    };
    t.translator->Translate();
    EXPECT_EQ(stranger->caption, "Alien");
    EXPECT_FALSE(t.Looked("Form.Button.Inner.Caption"));
    EXPECT_TRUE(t.Looked("Form.Box.Inner.Caption"));  // reached later through its owner
    t.translator->TranslateObject(stranger);  // started on its own, a walk may begin anywhere
    EXPECT_EQ(stranger->caption, "<Alien>");
}

TEST(TranslatorWalk, AFailureMidWalkPutsThePathBackAndEndsTheWalkClean) {
    Tree t;
    t.refuse = "Box";
    // Caught inside the walk: the button's own texts keep the button's path.
    t.translator->OnTranslatePropInstance = [&](TvgCustomTranslator* sender, tk::Persistent* instance) {
        if (instance == t.button) { EXPECT_THROW(sender->TranslateObject(t.box), tk::Exception); }
    };
    t.translator->Translate();
    EXPECT_TRUE(t.Looked("Form.Button.Box.Caption"));
    EXPECT_TRUE(t.Looked("Form.Button.Caption"));
    EXPECT_EQ(t.button->caption, "<Press>");
    // Not caught: the walk ends there, and the next one starts afresh.
    t.translator->OnTranslatePropInstance = nullptr;
    EXPECT_THROW(t.translator->Translate(), tk::Exception);
    EXPECT_TRUE(t.Clean());
    t.refuse.clear();
    t.translator->Translate();
    EXPECT_EQ(t.inner->caption, "<Inside>");
    EXPECT_TRUE(t.Clean());
}

TEST(TranslatorState, LanguageFileSetterOpensOnlyWhatItMust) {
    TempDir dir;
    std::string a = dir.MakeFile("A.lng", "[Messages]\r\nAdd=from A\r\n");
    std::string b = dir.MakeFile("B.lng", "[Messages]\r\nAdd=from B\r\n");
    TvgTranslator t(nullptr);
    t.SetLanguageFile(a);
    EXPECT_FALSE(t.Active());  // an inactive translator stays inactive
    EXPECT_EQ(t.TranslateText("Add"), "from A");  // a lookup activates it
    const TLanguageReader* reader = t.LanguageReader();
    t.SetLanguageFile(a);
    EXPECT_EQ(t.LanguageReader(), reader) << "the same name must not reopen the file";
    t.SetLanguageFile(b);
    EXPECT_TRUE(t.Active());
    EXPECT_EQ(t.TranslateText("Add"), "from B");
    t.SetLanguageFile("");
    EXPECT_FALSE(t.Active());
    EXPECT_EQ(t.LanguageReader(), nullptr);
    EXPECT_EQ(t.TranslateText("Add"), "Add");
}
