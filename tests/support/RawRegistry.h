// The registry as the system reports it, bypassing the registry object.
#pragma once

#include <windows.h>

#include <sddl.h>

#include <string>
#include <vector>

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

// Lets everyone read the key, delete it and change its permissions, and
// nothing else: the key as a standard user meets one of the machine's.
inline void MakeReadOnly(HKEY root, const std::string& key) {
    HKEY h = nullptr;
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, WRITE_DAC, &h) != ERROR_SUCCESS) return;
    if (ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;KRSDWD;;;WD)", SDDL_REVISION_1, &sd, nullptr)) {
        RegSetKeySecurity(h, DACL_SECURITY_INFORMATION, sd);
        LocalFree(sd);
    }
    RegCloseKey(h);
}

// A string value for one test; afterwards the value, and the key if the test
// made it, are as they were.
class ScopedRegValue {
public:
    ScopedRegValue(HKEY root, const std::string& key, const std::string& name, const std::string& value)
        : root_(root), key_(key), name_(name), keyExisted_(RawKeyExists(root, key)) {
        DWORD size = 0;
        const DWORD flags = RRF_RT_ANY | RRF_NOEXPAND;
        valueExisted_ = RegGetValueA(root, key.c_str(), name.c_str(), flags, &oldType_, nullptr, &size) == ERROR_SUCCESS;
        oldData_.resize(size);
        if (valueExisted_) RegGetValueA(root, key.c_str(), name.c_str(), flags, &oldType_, oldData_.data(), &size);
        RawSetString(root, key, name, value);
    }
    ~ScopedRegValue() {
        if (!keyExisted_) {
            RegDeleteTreeA(root_, key_.c_str());
            RegDeleteKeyA(root_, key_.c_str());
        } else if (valueExisted_) {
            RegSetKeyValueA(root_, key_.c_str(), name_.c_str(), oldType_, oldData_.data(), static_cast<DWORD>(oldData_.size()));
        } else {
            RegDeleteKeyValueA(root_, key_.c_str(), name_.c_str());
        }
    }
    ScopedRegValue(const ScopedRegValue&) = delete;
    ScopedRegValue& operator=(const ScopedRegValue&) = delete;

private:
    HKEY root_;
    std::string key_, name_;
    bool keyExisted_, valueExisted_ = false;
    DWORD oldType_ = 0;
    std::vector<BYTE> oldData_;
};

}  // namespace testsupport
