// The registry object of the options window and the Explorer integration:
// one open key at a time under a root key, string values, recursive deletion.
#pragma once

#include "toolkit/Classes.h"

#include <windows.h>

#include <string>

// The system calls that change the registry. Tests replace them to make a
// key that cannot be created or a value that cannot be written.
class TRegistryCalls {
public:
    virtual ~TRegistryCalls() = default;
    virtual LSTATUS OpenKey(HKEY parent, const std::string& path, REGSAM access, HKEY* result);
    virtual LSTATUS CreateKey(HKEY parent, const std::string& path, REGSAM access, HKEY* result);
    virtual LSTATUS SetValue(HKEY key, const std::string& name, DWORD type, const BYTE* data, DWORD size);
};

// Puts calls in place for every registry object made afterwards; nullptr
// puts the system's back. Returns the previous ones.
TRegistryCalls* SetRegistryCalls(TRegistryCalls* calls);

class ERegistryException : public tk::Exception {
public:
    using tk::Exception::Exception;
};

class TRegistry {
public:
    explicit TRegistry(REGSAM access = KEY_ALL_ACCESS) : access_(access) {}
    ~TRegistry() { CloseKey(); }
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    HKEY RootKey = HKEY_CURRENT_USER;
    HKEY CurrentKey() const { return currentKey_; }

    // A path that begins with a backslash starts at the root key, any other
    // at the open key (or the root when none is open). On failure the open
    // key stays open.
    bool OpenKey(const std::string& path, bool canCreate);
    void CloseKey();

    // Raises "Failed to set data for '<name>'" when the value cannot be
    // written, also when no key is open.
    void WriteString(const std::string& name, const std::string& value);
    // Empty for a missing or empty value; raises "Invalid data type for
    // '<name>'" for a value that is no string.
    std::string ReadString(const std::string& name);
    // True when the key opens for reading, whatever access the object asks
    // for: a key this user may not change still exists.
    bool KeyExists(const std::string& path);
    // Deletes a key with all its subkeys; never raises.
    bool DeleteKey(const std::string& path);

private:
    // The key a path starts from and the path relative to it.
    HKEY BaseFor(const std::string& path, std::string& relative) const;
    bool DeleteTree(HKEY parent, const std::string& path);

    REGSAM access_;
    HKEY currentKey_ = nullptr;
};
