#include "support/RawRegistry.h"

#include <sddl.h>

namespace testsupport {

std::string RawValue(HKEY root, const std::string& key, const std::string& name) {
    char data[1024] = {};
    DWORD size = sizeof data;
    if (RegGetValueA(root, key.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS)
        return "(none)";
    return data;
}

bool RawKeyExists(HKEY root, const std::string& key) {
    HKEY h = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
    RegCloseKey(h);
    return true;
}

void RawSetString(HKEY root, const std::string& key, const std::string& name, const std::string& value) {
    RegSetKeyValueA(root, key.c_str(), name.c_str(), REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

void MakeReadOnly(HKEY root, const std::string& key) {
    HKEY h = nullptr;
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, WRITE_DAC, &h) != ERROR_SUCCESS) return;
    if (ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;KRSDWD;;;WD)", SDDL_REVISION_1, &sd, nullptr)) {
        RegSetKeySecurity(h, DACL_SECURITY_INFORMATION, sd);
        LocalFree(sd);
    }
    RegCloseKey(h);
}

ScopedRegValue::ScopedRegValue(HKEY root, const std::string& key, const std::string& name, const std::string& value)
    : root_(root), key_(key), name_(name) {
    HKEY h = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &h) == ERROR_SUCCESS) {
        keyExisted_ = true;
        DWORD size = 0;
        if (RegQueryValueExA(h, name.c_str(), nullptr, &oldType_, nullptr, &size) == ERROR_SUCCESS) {
            valueExisted_ = true;
            oldData_.resize(size);
            RegQueryValueExA(h, name.c_str(), nullptr, &oldType_, oldData_.data(), &size);
        }
        RegCloseKey(h);
    }
    RawSetString(root, key, name, value);
}

ScopedRegValue::~ScopedRegValue() {
    if (!keyExisted_) {
        RegDeleteTreeA(root_, key_.c_str());
        RegDeleteKeyA(root_, key_.c_str());
    } else if (valueExisted_) {
        RegSetKeyValueA(root_, key_.c_str(), name_.c_str(), oldType_, oldData_.data(), static_cast<DWORD>(oldData_.size()));
    } else {
        RegDeleteKeyValueA(root_, key_.c_str(), name_.c_str());
    }
}

}  // namespace testsupport
