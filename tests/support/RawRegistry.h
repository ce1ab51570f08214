// The registry as the system reports it, bypassing the registry object, and
// registry calls a test can make fail.
#pragma once

#include "settings/Registry.h"

#include <functional>
#include <string>

namespace testsupport {

// A string value as stored, "(none)" when there is no such value.
inline std::string RawValue(HKEY root, const std::string& key, const std::string& name) {
    char data[1024] = {};
    DWORD size = sizeof data;
    if (RegGetValueA(root, key.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS)
        return "(none)";
    return data;
}

inline bool RawKeyExists(HKEY root, const std::string& key) {
    HKEY h = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
    RegCloseKey(h);
    return true;
}

inline void RawSetString(HKEY root, const std::string& key, const std::string& name, const std::string& value) {
    RegSetKeyValueA(root, key.c_str(), name.c_str(), REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

// In place for every registry object while it lives: fails the key creations
// and value writes a test picks; the others reach the system.
class FailingCalls : public TRegistryCalls {
public:
    std::function<bool(const std::string& path)> FailCreate = [](const std::string&) { return false; };
    std::function<bool(const std::string& name)> FailSet = [](const std::string&) { return false; };
    FailingCalls() { SetRegistryCalls(this); }
    ~FailingCalls() override { SetRegistryCalls(nullptr); }

    LSTATUS CreateKey(HKEY parent, const std::string& path, REGSAM access, HKEY* result) override {
        if (FailCreate(path)) return ERROR_ACCESS_DENIED;
        return TRegistryCalls::CreateKey(parent, path, access, result);
    }
    LSTATUS SetValue(HKEY key, const std::string& name, DWORD type, const BYTE* data, DWORD size) override {
        if (FailSet(name)) return ERROR_ACCESS_DENIED;
        return TRegistryCalls::SetValue(key, name, type, data, size);
    }
};

}  // namespace testsupport
