#include "i18n/vgNLS.h"

#include <algorithm>

namespace {
const char* const TranslationsSection = "Translations";
const char* const MessagesSection = "Messages";

// Puts the walk's path back however the level is left.
class PathRestorer {
public:
    explicit PathRestorer(std::string& path) : path_(path), saved_(path) {}
    ~PathRestorer() { path_ = saved_; }
    PathRestorer(const PathRestorer&) = delete;
    PathRestorer& operator=(const PathRestorer&) = delete;
    const std::string& Saved() const { return saved_; }

private:
    std::string& path_;
    std::string saved_;
};
}  // namespace

// ---- TvgCustomTranslator ----

const tk::ClassInfo& TvgCustomTranslator::StaticClass() {
    static const tk::ClassInfo info{"TvgCustomTranslator",
                                    &tk::Component::StaticClass(),
                                    {},
                                    {tk::ObjectProp("Properties", &TvgCustomTranslator::Properties)}};
    return info;
}

TvgCustomTranslator::TvgCustomTranslator(tk::Component* owner)
    : tk::Component(owner), properties_(std::make_unique<tk::StringList>()) {}

TvgCustomTranslator::~TvgCustomTranslator() { SetActive(false); }

void TvgCustomTranslator::Loaded() {
    tk::Component::Loaded();
    SetActive(streamedActive_);
    if (Active()) Translate();
}

void TvgCustomTranslator::SetActive(bool v) {
    if (Loading()) {
        streamedActive_ = v;
        return;
    }
    if (v == active_) return;
    if (v) DoActivate();
    else DoDeactivate();
    active_ = v;
}

void TvgCustomTranslator::Translate() {
    if (Owner()) TranslateObject(Owner());
}

std::string TvgCustomTranslator::TranslateText(const std::string& Message) {
    SetActive(true);
    std::string result;
    TranslateMsg(Message, result);
    return result;
}

void TvgCustomTranslator::TranslateMsg(const std::string& OldMsg, std::string& NewMsg) {
    NewMsg = OldMsg;
    if (OnTranslateMsg) OnTranslateMsg(this, OldMsg, NewMsg);
}

void TvgCustomTranslator::TranslateProp(const std::string& PropPath, const std::string& OldPropValue,
                                        std::string& NewPropValue) {
    NewPropValue = OldPropValue;
    if (OnTranslateProp) OnTranslateProp(this, PropPath, OldPropValue, NewPropValue);
}

void TvgCustomTranslator::TranslatePropString(tk::Persistent* Instance, const std::string& PropName,
                                              std::string& NewPropValue, const std::string& OldPropValue) {
    std::string path = PropName.empty() ? currentPath_ : currentPath_ + "." + PropName;
    if (properties_->Count() > 0 && properties_->IndexOf(path) < 0) return;
    if (OnTranslatePropString) {
        OnTranslatePropString(this, Instance, PropName, OldPropValue, NewPropValue);
        return;
    }
    SetActive(true);
    TranslateProp(path, OldPropValue, NewPropValue);
}

void TvgCustomTranslator::TranslatePropInstance(tk::Persistent* Instance) {
    if (tk::Strings* list = Instance->AsStrings()) {
        std::string old = list->CommaText();
        std::string now = old;
        TranslatePropString(Instance, "", now, old);
        if (now != old) {
            std::vector<std::string> items = tk::FromCommaText(now);
            list->BeginUpdate();
            try {
                list->Clear();
                for (const std::string& item : items) list->Add(item);
            } catch (...) {
                list->EndUpdate();
                throw;
            }
            list->EndUpdate();
        }
    } else if (tk::Collection* collection = Instance->AsCollection()) {
        PathRestorer restore(currentPath_);
        for (int i = 0; i < collection->Count(); ++i) {
            currentPath_ = restore.Saved() + "." + std::to_string(i);
            TranslateObject(collection->Item(i));
        }
    }
    if (OnTranslatePropInstance) OnTranslatePropInstance(this, Instance);
}

bool TvgCustomTranslator::SkipProperty(tk::Persistent& Instance, const std::string& PropName) {
    if (PropName == "Name" && Instance.AsComponent()) return true;
    return PropName == "Properties" && dynamic_cast<TvgCustomTranslator*>(&Instance);
}

bool TvgCustomTranslator::Visited(tk::Persistent* p) const {
    return translatedObjects_ &&
           std::find(translatedObjects_->begin(), translatedObjects_->end(), p) != translatedObjects_->end();
}

void TvgCustomTranslator::TranslateObject(tk::Persistent* Instance) {
    if (!Instance) return;
    SetActive(true);
    const bool outermost = !translatedObjects_;
    if (outermost) {
        rootObject_ = Instance;
        WalkBegins();
    }

    // Ends the walk when the outermost call returns, also by an error.
    struct WalkEnd {
        TvgCustomTranslator& t;
        bool outermost;
        ~WalkEnd() {
            if (!outermost) return;
            t.translatedObjects_.reset();
            t.rootObject_ = nullptr;
            t.currentPath_.clear();
            t.WalkEnds();
        }
    } walkEnd{*this, outermost};

    if (Visited(Instance)) return;
    tk::Component* component = Instance->AsComponent();
    if (component && Instance != rootObject_ && !Visited(component->Owner())) return;
    if (!translatedObjects_) translatedObjects_ = std::make_unique<std::vector<tk::Persistent*>>();
    translatedObjects_->push_back(Instance);

    // Owned components and object properties extend the path below this
    // level; it comes back to what it was here when the level ends.
    PathRestorer restore(currentPath_);
    std::string name = component ? component->Name() : std::string();
    if (!name.empty()) currentPath_ = currentPath_.empty() ? name : currentPath_ + "." + name;

    TranslatePropInstance(Instance);

    for (const tk::TextProperty* prop : Instance->TextProperties()) {
        if (SkipProperty(*Instance, prop->Name)) continue;
        std::string old = prop->Get(*Instance);
        std::string now = old;
        TranslatePropString(Instance, prop->Name, now, old);
        if (now != old) prop->Set(*Instance, now);
    }

    for (const tk::ObjectProperty* prop : Instance->ObjectProperties()) {
        if (SkipProperty(*Instance, prop->Name)) continue;
        tk::Persistent* object = prop->Get(*Instance);
        if (!object || object->AsComponent()) continue;
        PathRestorer inner(currentPath_);
        currentPath_ = currentPath_ + "." + prop->Name;
        TranslateObject(object);
    }

    if (component) {
        // Copied first: a translated property may make or free components.
        std::vector<tk::Component*> owned;
        for (int i = 0; i < component->ComponentCount(); ++i) owned.push_back(component->Components(i));
        for (tk::Component* child : owned)
            if (!child->Name().empty()) TranslateObject(child);
    }
}

// ---- TvgTranslator ----

const tk::ClassInfo& TvgTranslator::StaticClass() {
    static const tk::ClassInfo info{"TvgTranslator",
                                    &TvgCustomTranslator::StaticClass(),
                                    {tk::TextProp("LanguageFile", &TvgTranslator::LanguageFile,
                                                  &TvgTranslator::SetLanguageFile)},
                                    {}};
    return info;
}

TvgTranslator::~TvgTranslator() { SetActive(false); }

void TvgTranslator::SetLanguageFile(const std::string& v) {
    if (Loading()) {
        languageFile_ = v;
        return;
    }
    if (v == languageFile_) return;
    bool wasActive = Active();
    SetActive(false);
    languageFile_ = v;
    if (!v.empty()) SetActive(wasActive);
}

void TvgTranslator::DoActivate() { languageReader_ = std::make_unique<TLanguageReader>(languageFile_); }

void TvgTranslator::DoDeactivate() { languageReader_.reset(); }

void TvgTranslator::WalkBegins() {
    if (languageReader_) languageReader_->BeginWalk();
}

void TvgTranslator::WalkEnds() noexcept {
    // A reader made during the walk (a new LanguageFile) began none: no harm.
    if (languageReader_) languageReader_->EndWalk();
}

void TvgTranslator::TranslateMsg(const std::string& OldMsg, std::string& NewMsg) {
    NewMsg = OldMsg;
    if (OnTranslateMsg) {
        OnTranslateMsg(this, OldMsg, NewMsg);
        return;
    }
    if (languageReader_) NewMsg = languageReader_->ReadString(MessagesSection, OldMsg, OldMsg);
}

void TvgTranslator::TranslateProp(const std::string& PropPath, const std::string& OldPropValue,
                                  std::string& NewPropValue) {
    NewPropValue = OldPropValue;
    if (OnTranslateProp) {
        OnTranslateProp(this, PropPath, OldPropValue, NewPropValue);
        return;
    }
    if (languageReader_) NewPropValue = languageReader_->ReadString(TranslationsSection, PropPath, OldPropValue);
}

bool TvgTranslator::SkipProperty(tk::Persistent& Instance, const std::string& PropName) {
    if (PropName == "LanguageFile" && dynamic_cast<TvgTranslator*>(&Instance)) return true;
    return TvgCustomTranslator::SkipProperty(Instance, PropName);
}
