// The registry as the system reports it, bypassing the registry object.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace testsupport {

// A string value as stored, "(none)" when there is no such value.
std::string RawValue(HKEY root, const std::string& key, const std::string& name);
bool RawKeyExists(HKEY root, const std::string& key);
void RawSetString(HKEY root, const std::string& key, const std::string& name, const std::string& value);
// Lets everyone read the key, delete it and change its permissions, and
// nothing else: the key as a standard user meets one of the machine's.
void MakeReadOnly(HKEY root, const std::string& key);

// A string value for one test; afterwards the value, and the key if the test
// made it, are as they were.
class ScopedRegValue {
public:
    ScopedRegValue(HKEY root, const std::string& key, const std::string& name, const std::string& value);
    ~ScopedRegValue();
    ScopedRegValue(const ScopedRegValue&) = delete;
    ScopedRegValue& operator=(const ScopedRegValue&) = delete;

private:
    HKEY root_;
    std::string key_, name_;
    bool keyExisted_ = false, valueExisted_ = false;
    DWORD oldType_ = 0;
    std::vector<BYTE> oldData_;
};

}  // namespace testsupport
