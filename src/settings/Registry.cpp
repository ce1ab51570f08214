#include "settings/Registry.h"

#include <vector>

namespace {
TRegistryCalls g_systemCalls;
TRegistryCalls* g_calls = &g_systemCalls;
}  // namespace

LSTATUS TRegistryCalls::OpenKey(HKEY parent, const std::string& path, REGSAM access, HKEY* result) {
    return RegOpenKeyExA(parent, path.c_str(), 0, access, result);
}

LSTATUS TRegistryCalls::CreateKey(HKEY parent, const std::string& path, REGSAM access, HKEY* result) {
    return RegCreateKeyExA(parent, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, result,
                           nullptr);
}

LSTATUS TRegistryCalls::SetValue(HKEY key, const std::string& name, DWORD type, const BYTE* data, DWORD size) {
    return RegSetValueExA(key, name.c_str(), 0, type, data, size);
}

TRegistryCalls* SetRegistryCalls(TRegistryCalls* calls) {
    TRegistryCalls* previous = g_calls == &g_systemCalls ? nullptr : g_calls;
    g_calls = calls ? calls : &g_systemCalls;
    return previous;
}

HKEY TRegistry::BaseFor(const std::string& path, std::string& relative) const {
    if (!path.empty() && path[0] == '\\') {
        relative = path.substr(1);
        return RootKey;
    }
    relative = path;
    return currentKey_ ? currentKey_ : RootKey;
}

bool TRegistry::OpenKey(const std::string& path, bool canCreate) {
    std::string relative;
    HKEY base = BaseFor(path, relative);
    HKEY key = nullptr;
    LSTATUS rc = canCreate ? g_calls->CreateKey(base, relative, access_, &key)
                           : g_calls->OpenKey(base, relative, access_, &key);
    if (rc != ERROR_SUCCESS) return false;
    CloseKey();
    currentKey_ = key;
    return true;
}

void TRegistry::CloseKey() {
    if (currentKey_) RegCloseKey(currentKey_);
    currentKey_ = nullptr;
}

void TRegistry::WriteString(const std::string& name, const std::string& value) {
    LSTATUS rc = ERROR_INVALID_HANDLE;
    if (currentKey_)
        rc = g_calls->SetValue(currentKey_, name, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                               static_cast<DWORD>(value.size() + 1));
    if (rc != ERROR_SUCCESS) throw ERegistryException(tk::Format("Failed to set data for '%s'", name.c_str()));
}

std::string TRegistry::ReadString(const std::string& name) {
    if (!currentKey_) return {};
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(currentKey_, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS || size == 0)
        return {};
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        throw ERegistryException(tk::Format("Invalid data type for '%s'", name.c_str()));
    // One byte more than asked for: the stored text need not end in a zero.
    std::vector<char> data(size + 1, '\0');
    if (RegQueryValueExA(currentKey_, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) !=
        ERROR_SUCCESS)
        return {};
    return std::string(data.data());
}

bool TRegistry::KeyExists(const std::string& path) {
    std::string relative;
    HKEY base = BaseFor(path, relative);
    HKEY key = nullptr;
    if (g_calls->OpenKey(base, relative, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

bool TRegistry::DeleteTree(HKEY parent, const std::string& path) {
    HKEY key = nullptr;
    if (g_calls->OpenKey(parent, path, access_, &key) == ERROR_SUCCESS) {
        DWORD count = 0, longest = 0;
        if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &count, &longest, nullptr, nullptr, nullptr, nullptr,
                             nullptr, nullptr) == ERROR_SUCCESS) {
            std::vector<char> name(longest + 1);
            for (DWORD i = count; i-- > 0;) {
                DWORD len = static_cast<DWORD>(name.size());
                if (RegEnumKeyExA(key, i, name.data(), &len, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
                    DeleteTree(key, std::string(name.data(), len));
            }
        }
        RegCloseKey(key);
    }
    return RegDeleteKeyA(parent, path.c_str()) == ERROR_SUCCESS;
}

bool TRegistry::DeleteKey(const std::string& path) {
    std::string relative;
    HKEY base = BaseFor(path, relative);
    // An empty path would name the base key itself: a root key must never go.
    if (relative.empty()) return false;
    return DeleteTree(base, relative);
}
