#include "toolkit/Classes.h"

#include "fs/FileSystem.h"
#include "toolkit/Handles.h"

#include <windows.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace tk {

std::string Format(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, fmt, copy);
    va_end(copy);
    std::string out(n > 0 ? static_cast<size_t>(n) : 0, '\0');
    if (n > 0) std::vsnprintf(out.data(), out.size() + 1, fmt, args);
    va_end(args);
    return out;
}

std::string EInOutError::TextFor(int code) {
    switch (code) {
    case 2: return "File not found";
    case 3: return "Invalid filename";
    case 4: return "Too many open files";
    case 5: return "File access denied";
    default: return Format("I/O error %d", code);
    }
}

EInOutError::EInOutError(int code) : Exception(TextFor(code)), ErrorCode(code) {}

// ---- Persistent ----

const ClassInfo& Persistent::StaticClass() {
    static const ClassInfo info{"TPersistent", nullptr, {}, {}};
    return info;
}

namespace {
std::vector<const ClassInfo*> Chain(const ClassInfo& c) {
    std::vector<const ClassInfo*> chain;
    for (const ClassInfo* p = &c; p; p = p->Parent) chain.insert(chain.begin(), p);
    return chain;
}
}  // namespace

std::vector<const TextProperty*> Persistent::TextProperties() const {
    std::vector<const TextProperty*> out;
    for (const ClassInfo* c : Chain(Class()))
        for (const TextProperty& p : c->Texts) out.push_back(&p);
    return out;
}

std::vector<const ObjectProperty*> Persistent::ObjectProperties() const {
    std::vector<const ObjectProperty*> out;
    for (const ClassInfo* c : Chain(Class()))
        for (const ObjectProperty& p : c->Objects) out.push_back(&p);
    return out;
}

const TextProperty* Persistent::FindTextProperty(const std::string& name) const {
    for (const TextProperty* p : TextProperties())
        if (SameText(p->Name, name)) return p;
    return nullptr;
}

const ObjectProperty* Persistent::FindObjectProperty(const std::string& name) const {
    for (const ObjectProperty* p : ObjectProperties())
        if (SameText(p->Name, name)) return p;
    return nullptr;
}

std::string Persistent::GetTextProp(const std::string& name) const {
    const TextProperty* p = FindTextProperty(name);
    if (!p) throw Exception(Format("Property %s does not exist", name.c_str()));
    return p->Get(*this);
}

void Persistent::SetTextProp(const std::string& name, const std::string& value) {
    const TextProperty* p = FindTextProperty(name);
    if (!p) throw Exception(Format("Property %s does not exist", name.c_str()));
    p->Set(*this, value);
}

Persistent* Persistent::GetObjectProp(const std::string& name) const {
    const ObjectProperty* p = FindObjectProperty(name);
    if (!p) throw Exception(Format("Property %s does not exist", name.c_str()));
    return p->Get(*this);
}

// ---- Component ----

const ClassInfo& Component::StaticClass() {
    static const ClassInfo info{"TComponent", &Persistent::StaticClass(),
                                {{"Name", [](const Persistent& p) { return static_cast<const Component&>(p).Name(); },
                                  [](Persistent& p, const std::string& v) { static_cast<Component&>(p).SetName(v); }}},
                                {}};
    return info;
}

Component::Component(Component* owner) : owner_(owner) {
    if (owner_) owner_->components_.emplace_back(this);
}

Component::~Component() {
    destroying_ = true;
    // Tell everyone linked to us, and forget the links on their side.
    std::vector<Component*> notifies;
    notifies.swap(notifies_);
    for (Component* c : notifies) {
        auto& theirs = c->notifies_;
        theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
        c->Notification(this, Operation::Remove);
    }
    DestroyComponents();
    if (owner_) {
        auto& list = owner_->components_;
        for (auto it = list.begin(); it != list.end(); ++it)
            if (it->get() == this) {
                it->release();  // we are being deleted already
                list.erase(it);
                break;
            }
        owner_->Notification(this, Operation::Remove);
    }
}

void Component::DestroyComponents() {
    destroying_ = true;
    while (!components_.empty()) {
        std::unique_ptr<Component> c = std::move(components_.back());
        components_.pop_back();
        c->owner_ = nullptr;
        Notification(c.get(), Operation::Remove);
        c.reset();
    }
}

Component* Component::FindComponent(const std::string& name) const {
    if (name.empty()) return nullptr;
    for (const auto& c : components_)
        if (SameText(c->Name(), name)) return c.get();
    return nullptr;
}

std::unique_ptr<Component> Component::RemoveComponent(Component* c) {
    for (auto it = components_.begin(); it != components_.end(); ++it)
        if (it->get() == c) {
            std::unique_ptr<Component> out = std::move(*it);
            components_.erase(it);
            out->owner_ = nullptr;
            return out;
        }
    return nullptr;
}

void Component::FreeNotification(Component* c) {
    if (!c || c == this) return;
    if (std::find(notifies_.begin(), notifies_.end(), c) == notifies_.end()) notifies_.push_back(c);
    if (std::find(c->notifies_.begin(), c->notifies_.end(), this) == c->notifies_.end()) c->notifies_.push_back(this);
}

void Component::RemoveFreeNotification(Component* c) {
    if (!c) return;
    notifies_.erase(std::remove(notifies_.begin(), notifies_.end(), c), notifies_.end());
    c->notifies_.erase(std::remove(c->notifies_.begin(), c->notifies_.end(), this), c->notifies_.end());
}

void Component::SetLoading(bool on) {
    loading_ = on;
    for (auto& c : components_) c->SetLoading(on);
}

// ---- Strings ----

const ClassInfo& Strings::StaticClass() {
    static const ClassInfo info{"TStrings", &Persistent::StaticClass(), {}, {}};
    return info;
}

int Strings::IndexOf(const std::string& s) const {
    for (int i = 0; i < Count(); ++i)
        if (SameText(Get(i), s)) return i;
    return -1;
}

std::vector<std::string> Strings::ToVector() const {
    std::vector<std::string> out;
    out.reserve(static_cast<size_t>(Count()));
    for (int i = 0; i < Count(); ++i) out.push_back(Get(i));
    return out;
}

void Strings::Assign(const std::vector<std::string>& items) {
    BeginUpdate();
    try {
        Clear();
        for (const auto& s : items) Add(s);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

std::string Strings::CommaText() const { return ToCommaText(ToVector()); }
void Strings::SetCommaText(const std::string& text) { Assign(FromCommaText(text)); }

std::string ToCommaText(const std::vector<std::string>& items) {
    std::string out;
    for (const auto& item : items) {
        for (char ch : item) {
            if (ch == ',') out += ",,";
            else out += ch;
        }
        out += ',';
    }
    if (!out.empty()) out.pop_back();
    return out;
}

std::vector<std::string> FromCommaText(const std::string& text) {
    std::vector<std::string> out;
    std::string item;
    bool open = false;  // characters of an item were seen since the last separator
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == ',') {
            if (i + 1 < text.size() && text[i + 1] == ',') {
                item += ',';
                open = true;
                ++i;
            } else {
                out.push_back(item);
                item.clear();
                open = false;
            }
        } else {
            item += text[i];
            open = true;
        }
    }
    if (open) out.push_back(item);
    return out;
}

// ---- StringList ----

const ClassInfo& StringList::StaticClass() {
    static const ClassInfo info{"TStringList", &Strings::StaticClass(), {}, {}};
    return info;
}

void StringList::Changed() {
    if (!updating_ && OnChange) OnChange();
}

void StringList::SetUpdateState(bool updating) {
    updating_ = updating;
    if (!updating) Changed();
}

void StringList::Put(int i, const std::string& s) {
    items_.at(static_cast<size_t>(i)).text = s;
    Changed();
}

void StringList::Insert(int i, const std::string& s, void* obj) {
    if (i < 0 || i > Count()) throw Exception(Format("List index out of bounds (%d)", i));
    items_.insert(items_.begin() + i, Item{s, obj});
    Changed();
}

void StringList::Delete(int i) {
    if (i < 0 || i >= Count()) throw Exception(Format("List index out of bounds (%d)", i));
    items_.erase(items_.begin() + i);
    Changed();
}

void StringList::Clear() {
    if (items_.empty()) return;
    items_.clear();
    Changed();
}

// ---- Collection ----

const ClassInfo& CollectionItem::StaticClass() {
    static const ClassInfo info{"TCollectionItem", &Persistent::StaticClass(), {}, {}};
    return info;
}

int CollectionItem::Index() const {
    if (!collection_) return -1;
    for (int i = 0; i < collection_->Count(); ++i)
        if (collection_->Item(i) == this) return i;
    return -1;
}

const ClassInfo& Collection::StaticClass() {
    static const ClassInfo info{"TCollection", &Persistent::StaticClass(), {}, {}};
    return info;
}

CollectionItem* Collection::Add() {
    std::unique_ptr<CollectionItem> item = factory_();
    item->collection_ = this;
    items_.push_back(std::move(item));
    return items_.back().get();
}

void Collection::Delete(int i) { items_.erase(items_.begin() + i); }

// ---- texts ----

int CompareText(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()); }

bool SameText(const std::string& a, const std::string& b) {
    return a.size() == b.size() && CompareText(a, b) == 0;
}

std::string LowerCase(std::string s) {
    if (!s.empty()) CharLowerBuffA(s.data(), static_cast<DWORD>(s.size()));
    return s;
}

std::string UpperCase(std::string s) {
    if (!s.empty()) CharUpperBuffA(s.data(), static_cast<DWORD>(s.size()));
    return s;
}

std::string ExtractFileName(const std::string& path) {
    const size_t cut = path.find_last_of("\\:");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string ExtractFilePath(const std::string& path) {
    const size_t cut = path.find_last_of("\\:");
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

namespace {
DWORD Attributes(const std::string& path) {
    ErrorModeScope quiet(SEM_FAILCRITICALERRORS);
    return fs::Attributes(path);
}
}  // namespace

bool DirectoryExists(const std::string& path) {
    const DWORD a = Attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileExists(const std::string& path) {
    const DWORD a = Attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace tk
