#include "shellext/Texts.h"

#include "app/Errors.h"
#include "fs/FileSystem.h"
#include "settings/ShellIntegration.h"
#include "shellext/Server.h"

#include <vector>

namespace tessivar {

namespace {
// Explorer runs without administrator rights: the program's key is only read.
std::string StoredLanguage() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, ShellIntegration::SettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "English";
    std::string name = "English";
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key, ShellIntegration::LanguageValue, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ)) {
        std::vector<char> data(size + 1, '\0');
        if (RegQueryValueExA(key, ShellIntegration::LanguageValue, nullptr, &type,
                             reinterpret_cast<BYTE*>(data.data()), &size) == ERROR_SUCCESS)
            name = data.data();
    }
    RegCloseKey(key);
    return name;
}
}  // namespace

// Explorer's code page may lack the language's letters: texts come as UTF-8.
TTexts::TTexts() : reader_(ModuleFolderA() + StoredLanguage() + ".lng", CP_UTF8) {}

std::wstring TTexts::Text(const char* English) const {
    return fs::Widen(reader_.ReadString(TextsSection, English, English), CP_UTF8);
}

std::wstring TTexts::Message(const char* English) const {
    return fs::Widen(reader_.ReadString("Messages", English, English), CP_UTF8);
}

std::wstring TTexts::Sentence(DWORD Code) const {
    std::string sentence = ErrorText(static_cast<int>(Code));  // English: the same in every code page
    return fs::Widen(reader_.ReadString("Messages", sentence, sentence), CP_UTF8);
}

std::wstring Widen(const std::string& Text) {
    if (Text.empty()) return {};
    int n = MultiByteToWideChar(CP_ACP, 0, Text.data(), static_cast<int>(Text.size()), nullptr, 0);
    std::wstring out(n, L'\0');
    MultiByteToWideChar(CP_ACP, 0, Text.data(), static_cast<int>(Text.size()), out.data(), n);
    return out;
}

std::string Narrow(const std::wstring& Text) {
    if (Text.empty()) return {};
    int n = WideCharToMultiByte(CP_ACP, 0, Text.data(), static_cast<int>(Text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(n, '\0');
    WideCharToMultiByte(CP_ACP, 0, Text.data(), static_cast<int>(Text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

}  // namespace tessivar
