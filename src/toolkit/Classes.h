// The component model: named components with owners, published properties
// by name, string lists and collections.
#pragma once

#include <functional>
#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace tk {

// Errors raised by the toolkit and the program carry a message for the
// standard error box.
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& msg) : std::runtime_error(msg) {}
    std::string Message() const { return what(); }
};

// The runtime's input/output error: a system code and its short text.
class EInOutError : public Exception {
public:
    explicit EInOutError(int code);
    int ErrorCode;
    static std::string TextFor(int code);
};

// Thrown to end the program at once with an exit code; only the program's
// entry point catches it.
struct EHalt {
    int ExitCode = 0;
};

// Stores a property's new value; true when it differs from the old one.
template <class T>
bool Store(T& field, const T& value) {
    if (field == value) return false;
    field = value;
    return true;
}

// A set of values of an enumeration, one bit each.
template <class E>
class Set {
public:
    constexpr Set() = default;
    constexpr Set(std::initializer_list<E> list) {
        for (E e : list) Include(e);
    }
    constexpr bool Contains(E e) const { return (bits_ & Bit(e)) != 0; }
    constexpr void Include(E e) { bits_ |= Bit(e); }
    constexpr void Exclude(E e) { bits_ &= ~Bit(e); }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr bool operator==(const Set&) const = default;

private:
    static constexpr unsigned Bit(E e) { return 1u << static_cast<unsigned>(e); }
    unsigned bits_ = 0;
};

// printf-style formatting into a std::string.
std::string Format(const char* fmt, ...);

class Persistent;
class Component;
class Strings;
class Collection;

// Published properties: a text property is read and written as a string; an
// object property yields a sub-object (a font, a caption set, a string list, a
// collection) that is followed by whoever walks the properties.
struct TextProperty {
    std::string Name;
    std::function<std::string(const Persistent&)> Get;
    std::function<void(Persistent&, const std::string&)> Set;
};
struct ObjectProperty {
    std::string Name;
    std::function<Persistent*(const Persistent&)> Get;
};

// One table per class, chained to the base class's table.
struct ClassInfo {
    std::string ClassName;
    const ClassInfo* Parent = nullptr;
    std::vector<TextProperty> Texts;
    std::vector<ObjectProperty> Objects;
};

// Helpers to declare published properties with member functions.
template <class G, class S>
TextProperty TextProp(std::string name, std::string (G::*get)() const, void (S::*set)(const std::string&)) {
    return {std::move(name),
            [get](const Persistent& p) { return (static_cast<const G&>(p).*get)(); },
            [set](Persistent& p, const std::string& v) { (static_cast<S&>(p).*set)(v); }};
}
template <class T, class O>
ObjectProperty ObjectProp(std::string name, O* (T::*get)() const) {
    return {std::move(name), [get](const Persistent& p) -> Persistent* { return (static_cast<const T&>(p).*get)(); }};
}

class Persistent {
public:
    virtual ~Persistent() = default;
    Persistent() = default;
    Persistent(const Persistent&) = delete;
    Persistent& operator=(const Persistent&) = delete;

    static const ClassInfo& StaticClass();
    virtual const ClassInfo& Class() const { return StaticClass(); }
    std::string ClassName() const { return Class().ClassName; }

    // Declared properties of the whole class chain, base first.
    std::vector<const TextProperty*> TextProperties() const;
    std::vector<const ObjectProperty*> ObjectProperties() const;
    const TextProperty* FindTextProperty(const std::string& name) const;
    const ObjectProperty* FindObjectProperty(const std::string& name) const;
    std::string GetTextProp(const std::string& name) const;
    void SetTextProp(const std::string& name, const std::string& value);
    Persistent* GetObjectProp(const std::string& name) const;

    virtual Component* AsComponent() { return nullptr; }
    virtual Strings* AsStrings() { return nullptr; }
    virtual Collection* AsCollection() { return nullptr; }
};

enum class Operation { Insert, Remove };

class Component : public Persistent {
public:
    explicit Component(Component* owner);
    ~Component() override;

    static const ClassInfo& StaticClass();
    const ClassInfo& Class() const override { return StaticClass(); }
    Component* AsComponent() override { return this; }

    std::string Name() const { return name_; }
    virtual void SetName(const std::string& name) { name_ = name; }
    Component* Owner() const { return owner_; }
    int ComponentCount() const { return static_cast<int>(components_.size()); }
    Component* Components(int i) const { return components_[static_cast<size_t>(i)].get(); }
    Component* FindComponent(const std::string& name) const;

    // Takes a component out of this owner's care and hands it to the caller.
    std::unique_ptr<Component> RemoveComponent(Component* c);

    // Asks to be told (Notification with Remove) when c is destroyed; the
    // request is mutual, so both sides forget each other whichever dies first.
    void FreeNotification(Component* c);
    void RemoveFreeNotification(Component* c);

    // Form-description loading: properties set while Loading() is true are
    // only stored; Loaded runs when the description is complete.
    bool Loading() const { return loading_; }
    void SetLoading(bool on);
    virtual void Loaded() { loading_ = false; }
    bool Destroying() const { return destroying_; }

    int Tag = 0;

protected:
    virtual void Notification(Component* c, Operation op) {}
    // Destroys owned components before the derived parts of this object go.
    void DestroyComponents();
    void MarkDestroying() { destroying_ = true; }

private:
    std::string name_;
    Component* owner_ = nullptr;
    std::vector<std::unique_ptr<Component>> components_;
    std::vector<Component*> notifies_;
    bool loading_ = false;
    bool destroying_ = false;
};

// Makes a named component that the owner keeps.
template <class T>
T* MakeComponent(Component* owner, const char* name) {
    T* c = new T(owner);
    c->SetName(name);
    return c;
}

// An ordered list of texts, each with an optional object pointer.
class Strings : public Persistent {
public:
    static const ClassInfo& StaticClass();
    const ClassInfo& Class() const override { return StaticClass(); }
    Strings* AsStrings() override { return this; }

    virtual int Count() const = 0;
    virtual std::string Get(int i) const = 0;
    virtual void* ObjectAt(int i) const = 0;
    virtual void Put(int i, const std::string& s) = 0;
    virtual void SetObjectAt(int i, void* obj) = 0;
    virtual void Insert(int i, const std::string& s, void* obj = nullptr) = 0;
    virtual void Delete(int i) = 0;
    virtual void Clear() = 0;
    virtual int Add(const std::string& s, void* obj = nullptr) { Insert(Count(), s, obj); return Count() - 1; }
    // Updates between Begin and End are shown at once when the last End runs.
    void BeginUpdate() { if (updateCount_++ == 0) SetUpdateState(true); }
    void EndUpdate() { if (--updateCount_ == 0) SetUpdateState(false); }
    int IndexOf(const std::string& s) const;  // without regard to case
    std::vector<std::string> ToVector() const;
    void Assign(const std::vector<std::string>& items);

    std::string CommaText() const;
    void SetCommaText(const std::string& text);

protected:
    virtual void SetUpdateState(bool updating) {}

private:
    int updateCount_ = 0;
};

// Comma text: items joined with ","; a "," inside an item is doubled.
std::string ToCommaText(const std::vector<std::string>& items);
std::vector<std::string> FromCommaText(const std::string& text);

class StringList : public Strings {
public:
    static const ClassInfo& StaticClass();
    const ClassInfo& Class() const override { return StaticClass(); }

    int Count() const override { return static_cast<int>(items_.size()); }
    std::string Get(int i) const override { return items_.at(static_cast<size_t>(i)).text; }
    void* ObjectAt(int i) const override { return items_.at(static_cast<size_t>(i)).obj; }
    void Put(int i, const std::string& s) override;
    void SetObjectAt(int i, void* obj) override { items_.at(static_cast<size_t>(i)).obj = obj; }
    void Insert(int i, const std::string& s, void* obj = nullptr) override;
    void Delete(int i) override;
    void Clear() override;

    std::function<void()> OnChange;

protected:
    void SetUpdateState(bool updating) override;

private:
    void Changed();
    struct Item {
        std::string text;
        void* obj;
    };
    std::vector<Item> items_;
    bool updating_ = false;
};

class CollectionItem : public Persistent {
public:
    static const ClassInfo& StaticClass();
    const ClassInfo& Class() const override { return StaticClass(); }
    Collection* GetCollection() const { return collection_; }
    int Index() const;

private:
    friend class Collection;
    Collection* collection_ = nullptr;
};

// An owned, ordered list of items of one class.
class Collection : public Persistent {
public:
    explicit Collection(std::function<std::unique_ptr<CollectionItem>()> factory) : factory_(std::move(factory)) {}
    static const ClassInfo& StaticClass();
    const ClassInfo& Class() const override { return StaticClass(); }
    Collection* AsCollection() override { return this; }

    int Count() const { return static_cast<int>(items_.size()); }
    CollectionItem* Item(int i) const { return items_.at(static_cast<size_t>(i)).get(); }
    CollectionItem* Add();
    void Delete(int i);
    void Clear() { items_.clear(); }

private:
    std::function<std::unique_ptr<CollectionItem>()> factory_;
    std::vector<std::unique_ptr<CollectionItem>> items_;
};

// Case-insensitive comparison by the system's rules for file names and texts.
bool SameText(const std::string& a, const std::string& b);
int CompareText(const std::string& a, const std::string& b);
std::string LowerCase(std::string s);  // system code page rules
std::string UpperCase(std::string s);

// Paths: the file-name part is everything after the last backslash or colon,
// the folder part everything up to and including it.
std::string ExtractFileName(const std::string& path);
std::string ExtractFilePath(const std::string& path);
// Ask the file system without letting it put up a box for a missing disk.
bool DirectoryExists(const std::string& path);
bool FileExists(const std::string& path);  // a file, not a folder

}  // namespace tk
