#include "shellext/Registration.h"

#include "settings/ShellIntegration.h"
#include "shellext/Texts.h"

#include <shlwapi.h>

namespace tessivar {

namespace {
// The table's paths start at the root with a backslash.
std::wstring KeyPath(const char* key) { return Widen(key + (key[0] == '\\' ? 1 : 0)); }
}  // namespace

HRESULT RegisterServer(const std::wstring& ServerPath) {
    for (const ShellIntegration::Entry& entry : ShellIntegration::Entries) {
        HKEY key = nullptr;
        LSTATUS rc = RegCreateKeyExW(HKEY_CLASSES_ROOT, KeyPath(entry.Key).c_str(), 0, nullptr,
                                     REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &key, nullptr);
        if (rc != ERROR_SUCCESS) return HRESULT_FROM_WIN32(rc);
        for (int i = 0; i < entry.ValueCount && rc == ERROR_SUCCESS; ++i) {
            const ShellIntegration::Value& v = entry.Values[i];
            std::wstring data = v.Data ? Widen(v.Data) : ServerPath;
            rc = RegSetValueExW(key, Widen(v.Name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                                static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
        }
        RegCloseKey(key);
        if (rc != ERROR_SUCCESS) return HRESULT_FROM_WIN32(rc);
    }
    return S_OK;
}

HRESULT UnregisterServer(const std::wstring& ServerPath) {
    const ShellIntegration::Removal removal(ServerPath);
    HRESULT result = S_OK;
    for (const ShellIntegration::Entry& entry : ShellIntegration::Entries) {
        if (!removal.Deletes(entry)) continue;
        LSTATUS rc = SHDeleteKeyW(HKEY_CLASSES_ROOT, KeyPath(entry.Key).c_str());
        if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND && SUCCEEDED(result)) result = HRESULT_FROM_WIN32(rc);
    }
    return result;
}

}  // namespace tessivar
