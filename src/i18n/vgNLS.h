// Translator of a window's texts and messages from a language file.
#pragma once

#include "i18n/LanguageReader.h"
#include "toolkit/Classes.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TvgCustomTranslator;

using TTranslateMsgEvent =
    std::function<void(TvgCustomTranslator* Sender, const std::string& OldMsg, std::string& NewMsg)>;
using TTranslatePropEvent = std::function<void(TvgCustomTranslator* Sender, const std::string& PropPath,
                                               const std::string& OldPropValue, std::string& NewPropValue)>;
using TTranslatePropStringEvent =
    std::function<void(TvgCustomTranslator* Sender, tk::Persistent* Instance, const std::string& PropName,
                       const std::string& OldPropValue, std::string& NewPropValue)>;
using TTranslatePropInstanceEvent = std::function<void(TvgCustomTranslator* Sender, tk::Persistent* Instance)>;

class TvgCustomTranslator : public tk::Component {
public:
    explicit TvgCustomTranslator(tk::Component* owner);
    ~TvgCustomTranslator() override;
    static const tk::ClassInfo& StaticClass();
    const tk::ClassInfo& Class() const override { return StaticClass(); }

    void Loaded() override;

    bool Active() const { return active_; }
    void SetActive(bool v);
    // When not empty, only the property paths listed here are translated.
    tk::StringList* Properties() const { return properties_.get(); }

    // Translates the owner window and everything it owns.
    void Translate();
    void TranslateObject(tk::Persistent* Instance);
    // The text to show for an English message.
    std::string TranslateText(const std::string& Message);

    virtual void TranslateMsg(const std::string& OldMsg, std::string& NewMsg);
    virtual void TranslateProp(const std::string& PropPath, const std::string& OldPropValue, std::string& NewPropValue);
    virtual void TranslatePropString(tk::Persistent* Instance, const std::string& PropName, std::string& NewPropValue,
                                     const std::string& OldPropValue);
    virtual void TranslatePropInstance(tk::Persistent* Instance);

    TTranslateMsgEvent OnTranslateMsg;
    TTranslatePropEvent OnTranslateProp;
    TTranslatePropStringEvent OnTranslatePropString;
    TTranslatePropInstanceEvent OnTranslatePropInstance;

    // Walk state, visible for inspection: empty between walks.
    tk::Persistent* RootObject() const { return rootObject_; }
    const std::string& CurrentPath() const { return currentPath_; }
    bool Walking() const { return translatedObjects_ != nullptr; }

protected:
    virtual void DoActivate() {}
    virtual void DoDeactivate() {}
    // Around the outermost TranslateObject call.
    virtual void WalkBegins() {}
    virtual void WalkEnds() noexcept {}
    // Properties the walk leaves alone: renaming a component, or changing a
    // translator's file or filter, would break the paths and the translator.
    virtual bool SkipProperty(tk::Persistent& Instance, const std::string& PropName);

private:
    bool Visited(tk::Persistent* p) const;

    bool active_ = false;
    bool streamedActive_ = false;
    std::unique_ptr<tk::StringList> properties_;
    tk::Persistent* rootObject_ = nullptr;
    std::unique_ptr<std::vector<tk::Persistent*>> translatedObjects_;
    std::string currentPath_;
};

class TvgTranslator : public TvgCustomTranslator {
public:
    explicit TvgTranslator(tk::Component* owner) : TvgCustomTranslator(owner) {}
    ~TvgTranslator() override;
    static const tk::ClassInfo& StaticClass();
    const tk::ClassInfo& Class() const override { return StaticClass(); }

    std::string LanguageFile() const { return languageFile_; }
    void SetLanguageFile(const std::string& v);
    const TLanguageReader* LanguageReader() const { return languageReader_.get(); }

    void TranslateMsg(const std::string& OldMsg, std::string& NewMsg) override;
    void TranslateProp(const std::string& PropPath, const std::string& OldPropValue,
                       std::string& NewPropValue) override;

protected:
    void DoActivate() override;
    void DoDeactivate() override;
    void WalkBegins() override;
    void WalkEnds() noexcept override;
    bool SkipProperty(tk::Persistent& Instance, const std::string& PropName) override;

private:
    std::string languageFile_;
    std::unique_ptr<TLanguageReader> languageReader_;
};
