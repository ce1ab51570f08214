// Translator of a window's texts and messages from a language file.
#pragma once

#include "toolkit/Classes.h"

#include <string>

class TvgCustomTranslator : public tk::Component {
public:
    explicit TvgCustomTranslator(tk::Component* owner) : tk::Component(owner) {}
    static const tk::ClassInfo& StaticClass();
    const tk::ClassInfo& Class() const override { return StaticClass(); }

    // Translates the owner window and everything it owns.
    void Translate() {}
    // The text to show for an English message.
    std::string TranslateText(const std::string& message) { return message; }
};

class TvgTranslator : public TvgCustomTranslator {
public:
    explicit TvgTranslator(tk::Component* owner) : TvgCustomTranslator(owner) {}
    static const tk::ClassInfo& StaticClass();
    const tk::ClassInfo& Class() const override { return StaticClass(); }

    std::string LanguageFile() const { return languageFile_; }
    void SetLanguageFile(const std::string& v) { languageFile_ = v; }

private:
    std::string languageFile_;
};
