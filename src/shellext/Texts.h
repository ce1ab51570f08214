// The extension's texts in the language the program uses: the program's
// language file beside this DLL, its own section for the menu and progress
// texts, the program's error sentences from the messages section. Without a
// file, English.
#pragma once

#include "i18n/LanguageReader.h"

#include <windows.h>

#include <string>

namespace tessivar {

// The section of a language file that holds the extension's texts.
inline constexpr char TextsSection[] = "Tessivar";

class TTexts {
public:
    // Reads the stored language now; nothing is kept between uses.
    TTexts();
    // An English text of the extension, translated.
    std::wstring Text(const char* English) const;
    // A message of the program's, translated.
    std::wstring Message(const char* English) const;
    // The program's sentence for a system error code, translated.
    std::wstring Sentence(DWORD Code) const;

private:
    TLanguageReader reader_;
};

// Text in the system code page to the wide characters it stands for, and
// back.
std::wstring Widen(const std::string& Text);
std::string Narrow(const std::wstring& Text);

}  // namespace tessivar
