#include "i18n/vgNLS.h"
#include "support/GuiFixture.h"

#include <gtest/gtest.h>

using namespace testsupport;

// ---- comma text ----

TEST(CommaText, ItemsAreJoinedAndCommasDoubled) {
    EXPECT_EQ(tk::ToCommaText({"English", "German", "Russian"}), "English,German,Russian");
    EXPECT_EQ(tk::ToCommaText({"a,b"}), "a,,b");
    EXPECT_EQ(tk::ToCommaText({"x", "a,b", "y"}), "x,a,,b,y");
    EXPECT_EQ(tk::ToCommaText({}), "");
    EXPECT_EQ(tk::ToCommaText({""}), "");  // the same text as the empty list
}

TEST(CommaText, ReadsBackDoubledCommasAndIgnoresATrailingOne) {
    EXPECT_EQ(tk::FromCommaText("a,,b"), std::vector<std::string>{"a,b"});
    EXPECT_EQ(tk::FromCommaText("a,b,"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(tk::FromCommaText(""), std::vector<std::string>{});
    EXPECT_EQ(tk::FromCommaText("x,a,,b,y"), (std::vector<std::string>{"x", "a,b", "y"}));
    EXPECT_EQ(tk::FromCommaText(",a"), (std::vector<std::string>{"", "a"}));
    tk::StringList list;
    list.SetCommaText(tk::ToCommaText({"one, two", "three"}));
    EXPECT_EQ(list.ToVector(), (std::vector<std::string>{"one, two", "three"}));
}

// ---- reading rules on real files ----

namespace {
std::string Crlf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}
}  // namespace

TEST(LanguageReader, SectionsAndKeysMatchWithoutCaseAndBlanksAndQuotesGo) {
    TempDir dir;
    std::string file = dir.MakeFile("Test.lng", Crlf("[translations]\n"
                                                     "  mainform.caption  =   Hauptfenster  \n"
                                                     "MainForm.InputGroupBox.Caption=\" Datei \"\n"
                                                     "Single='  quoted  '\n"
                                                     "Half=\"open only\n"
                                                     "Empty=\n"
                                                     "[MESSAGES]\n"
                                                     "Input (files:=\" Eingabe (Dateien: \"\n"
                                                     "Hard Link Created=Erstellt\n"));
    TLanguageReader reader(file);
    EXPECT_EQ(reader.ReadString("Translations", "MainForm.Caption", "x"), "Hauptfenster");
    EXPECT_EQ(reader.ReadString("TRANSLATIONS", "MAINFORM.INPUTGROUPBOX.CAPTION", "x"), " Datei ");
    EXPECT_EQ(reader.ReadString("Translations", "Single", "x"), "  quoted  ");
    EXPECT_EQ(reader.ReadString("Translations", "Half", "x"), "\"open only");
    EXPECT_EQ(reader.ReadString("Translations", "Empty", "x"), "");
    // The program passes the message with its blanks; the file's key has none.
    EXPECT_EQ(reader.ReadString("Messages", " Input (files: ", " Input (files: "), " Eingabe (Dateien: ");
    EXPECT_EQ(reader.ReadString("messages", "hard link created", "x"), "Erstellt");
    // A text is looked up in its own section only.
    EXPECT_EQ(reader.ReadString("Messages", "MainForm.Caption", "Quenmoor"), "Quenmoor");
}

TEST(LanguageReader, MissingFileSectionOrKeyGivesTheDefaultUnchanged) {
    TempDir dir;
    std::string file = dir.MakeFile("Test.lng", Crlf("[Messages]\nOther=1\n"));
    TLanguageReader reader(file);
    // Blanks at the end of a default survive, which the system alone would drop.
    EXPECT_EQ(reader.ReadString("Messages", " Input (files: ", " Input (files: "), " Input (files: ");
    EXPECT_EQ(reader.ReadString("Translations", "Other", "keep  "), "keep  ");
    EXPECT_EQ(TLanguageReader(dir / "Missing.lng").ReadString("Messages", "Other", "  kept "), "  kept ");
    EXPECT_EQ(TLanguageReader("").ReadString("Messages", "Other", "no file"), "no file");
    // A default longer than any value the file could give comes back whole.
    std::string longDefault(5000, 'd');
    EXPECT_EQ(reader.ReadString("Messages", "Missing", longDefault), longDefault);
}

TEST(LanguageReader, EmptyAndForeignFilesGiveDefaults) {
    TempDir dir;
    TLanguageReader empty(dir.MakeFile("Empty.lng", ""));
    EXPECT_EQ(empty.ReadString("Messages", "Add", "Add"), "Add");
    std::string junk("\x7f" "ELF\x01\x02\x00\x00[x\x00\xff\xfe=\r\n\x89PNG", 22);
    TLanguageReader foreign(dir.MakeFile("Junk.lng", junk));
    EXPECT_EQ(foreign.ReadString("Messages", "Add", "Add"), "Add");
    EXPECT_EQ(foreign.ReadString("Translations", "MainForm.Caption", "Quenmoor"), "Quenmoor");
    TLanguageReader noSections(dir.MakeFile("Plain.lng", "Add=Hinzu\r\n"));
    EXPECT_EQ(noSections.ReadString("Messages", "Add", "Add"), "Add");
}

TEST(LanguageReader, LongValuesAreCutAt2047Characters) {
    TempDir dir;
    std::string value;
    for (int i = 0; i < 3000; ++i) value += static_cast<char>('a' + i % 26);
    std::string file = dir.MakeFile("Long.lng", "[Messages]\r\nLong=" + value + "\r\nExact=" +
                                                    value.substr(0, 2047) + "\r\nAfter=ok\r\n");
    TLanguageReader reader(file);
    EXPECT_EQ(reader.ReadString("Messages", "Long", "x"), value.substr(0, 2047));
    EXPECT_EQ(reader.ReadString("Messages", "Exact", "x"), value.substr(0, 2047));
    EXPECT_EQ(reader.ReadString("Messages", "After", "x"), "ok");
}

TEST(LanguageReader, TheFileIsNotHeldOpen) {
    TempDir dir;
    std::string file = dir.MakeFile("Live.lng", "[Messages]\r\nAdd=first\r\n");
    TLanguageReader reader(file);
    EXPECT_EQ(reader.ReadString("Messages", "Add", "Add"), "first");
    ASSERT_TRUE(DeleteFileA(file.c_str())) << "the reader keeps the file open";
    EXPECT_EQ(reader.ReadString("Messages", "Add", "Add"), "Add");
    dir.MakeFile("Live.lng", "[Messages]\r\nAdd=second one\r\n");
    EXPECT_EQ(reader.ReadString("Messages", "Add", "Add"), "second one");
}

// ---- the walk over a component tree ----

namespace {

class TItem : public tk::CollectionItem {
public:
    static const tk::ClassInfo& StaticClass() {
        static const tk::ClassInfo info{"TItem", &tk::CollectionItem::StaticClass(),
                                        {tk::TextProp("Label", &TItem::Label, &TItem::SetLabel)}, {}};
        return info;
    }
    const tk::ClassInfo& Class() const override { return StaticClass(); }
    std::string Label() const { return label_; }
    void SetLabel(const std::string& v) { label_ = v; }

private:
    std::string label_;
};

// A caption set held in an object property.
class TCaptions : public tk::Persistent {
public:
    static const tk::ClassInfo& StaticClass() {
        static const tk::ClassInfo info{"TCaptions", &tk::Persistent::StaticClass(),
                                        {tk::TextProp("OK", &TCaptions::OK, &TCaptions::SetOK)}, {}};
        return info;
    }
    const tk::ClassInfo& Class() const override { return StaticClass(); }
    std::string OK() const { return ok_; }
    void SetOK(const std::string& v) { ok_ = v; }

private:
    std::string ok_ = "OK";
};

// A component with every kind of published property the walk knows.
class TWidget : public tk::Component {
public:
    explicit TWidget(tk::Component* owner)
        : tk::Component(owner), rows_([] { return std::make_unique<TItem>(); }) {}
    static const tk::ClassInfo& StaticClass() {
        static const tk::ClassInfo info{"TWidget",
                                        &tk::Component::StaticClass(),
                                        {tk::TextProp("Caption", &TWidget::Caption, &TWidget::SetCaption)},
                                        {tk::ObjectProp("Items", &TWidget::Items),
                                         tk::ObjectProp("Captions", &TWidget::Captions),
                                         tk::ObjectProp("Rows", &TWidget::Rows),
                                         tk::ObjectProp("Buddy", &TWidget::Buddy)}};
        return info;
    }
    const tk::ClassInfo& Class() const override { return StaticClass(); }

    std::string Caption() const { return caption_; }
    void SetCaption(const std::string& v) {
        if (v == "FAIL") throw tk::Exception("refused");
        caption_ = v;
    }
    tk::StringList* Items() const { return &items_; }
    TCaptions* Captions() const { return &captions_; }
    tk::Collection* Rows() const { return &rows_; }
    tk::Component* Buddy() const { return buddy; }
    tk::Component* buddy = nullptr;

private:
    std::string caption_;
    mutable tk::StringList items_;
    mutable TCaptions captions_;
    mutable tk::Collection rows_;
};

TWidget* MakeWidget(tk::Component* owner, const char* name, const char* caption) {
    auto* w = tk::MakeComponent<TWidget>(owner, name);
    w->SetCaption(caption);
    return w;
}

// A window-like tree: Form owns Button, Box (which owns Inner), an unnamed
// component (which owns Hidden) and the translator.
struct Tree {
    tk::Component root{nullptr};
    TWidget* form;
    TWidget* button;
    TWidget* box;
    TWidget* inner;
    TWidget* unnamed;
    TWidget* hidden;
    TvgTranslator* translator;
    std::vector<std::string> paths;  // every property path looked up, in order

    Tree() {
        form = MakeWidget(&root, "Form", "Main");
        button = MakeWidget(form, "Button", "Press");
        button->Items()->Assign({"a,b", "c"});
        button->Rows()->Add();
        static_cast<TItem*>(button->Rows()->Add())->SetLabel("second");
        button->buddy = form;  // a component reached through a property
        box = MakeWidget(form, "Box", "Box");
        inner = MakeWidget(box, "Inner", "Inside");
        unnamed = MakeWidget(form, "", "Nameless");
        hidden = MakeWidget(unnamed, "Hidden", "Hidden");
        translator = tk::MakeComponent<TvgTranslator>(form, "Translator");
        translator->SetLanguageFile("C:\\nowhere\\x.lng");
        translator->OnTranslateProp = [this](TvgCustomTranslator*, const std::string& path, const std::string& old,
                                             std::string& now) {
            paths.push_back(path);
            if (path == "Form.Button.Items") now = "one,,1,two";
            else now = "<" + old + ">";
        };
    }
    bool Looked(const std::string& path) const { return std::find(paths.begin(), paths.end(), path) != paths.end(); }
};

}  // namespace

TEST(TranslatorWalk, PathsFollowOwnershipObjectPropertiesAndCollections) {
    Tree t;
    t.translator->TranslateObject(t.form);
    for (const char* p : {"Form.Caption", "Form.Captions.OK", "Form.Items", "Form.Button.Caption",
                          "Form.Button.Captions.OK", "Form.Button.Rows.0.Label", "Form.Button.Rows.1.Label",
                          "Form.Box.Caption", "Form.Box.Inner.Caption"})
        EXPECT_TRUE(t.Looked(p)) << p;
    EXPECT_EQ(t.form->Caption(), "<Main>");
    EXPECT_EQ(t.inner->Caption(), "<Inside>");
    EXPECT_EQ(t.button->Captions()->OK(), "<OK>");
    EXPECT_EQ(static_cast<TItem*>(t.button->Rows()->Item(1))->Label(), "<second>");
    // A string list is one key holding its comma text, rebuilt from the answer.
    EXPECT_EQ(t.button->Items()->ToVector(), (std::vector<std::string>{"one,1", "two"}));
    // The form is not walked a second time through the button's Buddy.
    EXPECT_EQ(std::count(t.paths.begin(), t.paths.end(), "Form.Caption"), 1);
    EXPECT_FALSE(t.Looked("Form.Button.Buddy.Caption"));
    // The walk's state is gone afterwards.
    EXPECT_FALSE(t.translator->Walking());
    EXPECT_EQ(t.translator->RootObject(), nullptr);
    EXPECT_EQ(t.translator->CurrentPath(), "");
}

TEST(TranslatorWalk, UnnamedComponentsNamesAndTheLanguageFileAreLeftAlone) {
    Tree t;
    t.translator->Translate();  // the owner: Form
    EXPECT_EQ(t.unnamed->Caption(), "Nameless");
    EXPECT_EQ(t.hidden->Caption(), "Hidden");
    for (const std::string& p : t.paths) {
        EXPECT_EQ(p.find("Hidden"), std::string::npos) << p;
        EXPECT_FALSE(p.size() >= 5 && p.compare(p.size() - 5, 5, ".Name") == 0) << p;
        EXPECT_EQ(p.find("LanguageFile"), std::string::npos) << p;
    }
    EXPECT_EQ(t.form->Name(), "Form");
    EXPECT_EQ(t.translator->LanguageFile(), "C:\\nowhere\\x.lng");
    // The translator's own filter is no text of the window either.
    EXPECT_FALSE(t.Looked("Form.Translator.Properties"));
    EXPECT_EQ(t.translator->Properties()->Count(), 0);
}

TEST(TranslatorWalk, AComponentWhoseOwnerWasNotVisitedIsSkipped) {
    Tree t;
    tk::Component elsewhere(nullptr);
    TWidget* stranger = MakeWidget(&elsewhere, "Stranger", "Alien");
    t.translator->OnTranslatePropInstance = [&](TvgCustomTranslator* sender, tk::Persistent* instance) {
        if (instance == t.box) sender->TranslateObject(stranger);   // owner not in this walk
        if (instance == t.button) sender->TranslateObject(t.inner);  // owner Box not visited yet
    };
    t.translator->TranslateObject(t.form);
    EXPECT_EQ(stranger->Caption(), "Alien");
    EXPECT_FALSE(t.Looked("Form.Button.Inner.Caption"));
    EXPECT_EQ(t.inner->Caption(), "<Inside>");  // reached later through its owner
    // Started on its own, a walk may begin anywhere.
    t.translator->TranslateObject(stranger);
    EXPECT_EQ(stranger->Caption(), "<Alien>");
    EXPECT_TRUE(t.Looked("Stranger.Caption"));
}

TEST(TranslatorWalk, PropertiesFilterLimitsTheWalkToListedPaths) {
    Tree t;
    t.translator->Properties()->Assign({"form.box.CAPTION", "Form.Button.Rows.1.Label"});
    t.translator->Translate();
    EXPECT_EQ(t.paths, (std::vector<std::string>{"Form.Button.Rows.1.Label", "Form.Box.Caption"}));
    EXPECT_EQ(t.box->Caption(), "<Box>");
    EXPECT_EQ(t.form->Caption(), "Main");
}

TEST(TranslatorWalk, AnErrorEndsTheWalkAndClearsItsState) {
    Tree t;
    t.translator->OnTranslateProp = [&](TvgCustomTranslator* sender, const std::string& path, const std::string& old,
                                        std::string& now) {
        t.paths.push_back(path);
        now = path == "Form.Box.Caption" ? "FAIL" : "<" + old + ">";
    };
    EXPECT_THROW(t.translator->Translate(), tk::Exception);
    EXPECT_FALSE(t.translator->Walking());
    EXPECT_EQ(t.translator->RootObject(), nullptr);
    EXPECT_EQ(t.translator->CurrentPath(), "");
    EXPECT_EQ(t.inner->Caption(), "Inside");  // after the failure: not reached
    // The next walk starts clean and visits everything again.
    t.paths.clear();
    t.translator->OnTranslateProp = [&](TvgCustomTranslator*, const std::string& path, const std::string& old,
                                        std::string& now) {
        t.paths.push_back(path);
        now = old + "!";
    };
    t.translator->Translate();
    EXPECT_EQ(t.inner->Caption(), "Inside!");
    EXPECT_EQ(t.form->Caption(), "<Main>!");
    EXPECT_TRUE(t.Looked("Form.Box.Inner.Caption"));
}

TEST(TranslatorWalk, CallbacksReplaceTheLookups) {
    Tree t;
    std::vector<std::string> seen;
    t.translator->OnTranslatePropString = [&](TvgCustomTranslator*, tk::Persistent* instance,
                                              const std::string& name, const std::string& old, std::string& now) {
        seen.push_back(name);
        if (instance == t.box && name == "Caption") now = "Kiste";
    };
    t.translator->Translate();
    EXPECT_TRUE(t.paths.empty());  // the property callback never ran
    EXPECT_EQ(t.box->Caption(), "Kiste");
    EXPECT_EQ(t.form->Caption(), "Main");
    EXPECT_NE(std::find(seen.begin(), seen.end(), ""), seen.end());  // string lists have no property name

    t.translator->OnTranslateMsg = [](TvgCustomTranslator*, const std::string& old, std::string& now) {
        now = "[" + old + "]";
    };
    EXPECT_EQ(t.translator->TranslateText("Add"), "[Add]");
}

TEST(TranslatorWalk, TranslatesFromARealFile) {
    TempDir dir;
    Tree t;
    t.translator->OnTranslateProp = nullptr;
    t.translator->SetLanguageFile(dir.MakeFile("De.lng", Crlf("[Translations]\n"
                                                              "Form.Caption=Haupt\n"
                                                              "Form.Box.Inner.Caption=Innen\n"
                                                              "Form.Button.Items=x,,y\n"
                                                              "Form.Button.Rows.1.Label=zweite\n"
                                                              "Form.Button.Name=Renamed\n"
                                                              "Form.Translator.LanguageFile=C:\\other.lng\n"
                                                              "Form.Translator.Properties=Form.Caption\n"
                                                              "Form.Hidden.Caption=nope\n"
                                                              "[Messages]\n"
                                                              "Add=Hinzu\n")));
    t.translator->Translate();
    EXPECT_EQ(t.form->Caption(), "Haupt");
    EXPECT_EQ(t.inner->Caption(), "Innen");
    EXPECT_EQ(t.box->Caption(), "Box");
    EXPECT_EQ(t.button->Items()->ToVector(), std::vector<std::string>{"x,y"});
    EXPECT_EQ(static_cast<TItem*>(t.button->Rows()->Item(1))->Label(), "zweite");
    EXPECT_EQ(t.button->Name(), "Button");
    EXPECT_EQ(t.translator->LanguageFile(), dir / "De.lng");
    EXPECT_EQ(t.translator->Properties()->Count(), 0);
    EXPECT_EQ(t.hidden->Caption(), "Hidden");
    EXPECT_EQ(t.translator->TranslateText("Add"), "Hinzu");
    EXPECT_EQ(t.translator->TranslateText("Hard Link Created"), "Hard Link Created");
}

// ---- Active and LanguageFile ----

TEST(TranslatorState, LanguageFileSetterOpensClosesAndKeepsTheFile) {
    TempDir dir;
    std::string a = dir.MakeFile("A.lng", "[Messages]\r\nAdd=from A\r\n");
    std::string b = dir.MakeFile("B.lng", "[Messages]\r\nAdd=from B\r\n");
    TvgTranslator t(nullptr);
    EXPECT_FALSE(t.Active());
    t.SetLanguageFile(a);
    EXPECT_FALSE(t.Active());  // an inactive translator stays inactive
    EXPECT_EQ(t.LanguageReader(), nullptr);
    EXPECT_EQ(t.TranslateText("Add"), "from A");  // a lookup activates it
    ASSERT_TRUE(t.Active());
    const TLanguageReader* reader = t.LanguageReader();
    t.SetLanguageFile(a);
    EXPECT_EQ(t.LanguageReader(), reader) << "the same name must not reopen the file";
    t.SetLanguageFile(b);
    EXPECT_TRUE(t.Active());
    ASSERT_NE(t.LanguageReader(), nullptr);
    EXPECT_EQ(t.LanguageReader()->FileName(), b);
    EXPECT_EQ(t.TranslateText("Add"), "from B");
    // Case counts: another spelling is another name.
    std::string upper = tk::UpperCase(b);
    t.SetLanguageFile(upper);
    EXPECT_EQ(t.LanguageReader()->FileName(), upper);
    t.SetLanguageFile("");
    EXPECT_FALSE(t.Active());
    EXPECT_EQ(t.LanguageReader(), nullptr);
    EXPECT_EQ(t.TranslateText("Add"), "Add");
}

TEST(TranslatorState, WhileLoadingValuesAreOnlyStored) {
    TempDir dir;
    tk::Component form(nullptr);
    form.SetName("Form");
    auto* t = tk::MakeComponent<TvgTranslator>(&form, "T");
    auto* w = MakeWidget(&form, "W", "Old");
    form.SetLoading(true);
    t->SetActive(true);
    t->SetLanguageFile(dir.MakeFile("L.lng", "[Translations]\r\nForm.W.Caption=New\r\n"));
    EXPECT_FALSE(t->Active());
    EXPECT_EQ(t->LanguageReader(), nullptr);
    form.SetLoading(false);
    t->Loaded();  // applies the stored Active and translates the owner
    EXPECT_TRUE(t->Active());
    EXPECT_EQ(w->Caption(), "New");
}
