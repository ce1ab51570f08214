// What the in-process server as a whole shares: its module and the counts
// that DllCanUnloadNow answers from. Everything else lives in the objects
// that Explorer makes, one set per window.
#pragma once

#include <windows.h>

#include <string>

namespace tessivar {

void SetModule(HMODULE module);
HMODULE Module();

// Every COM object of the server counts while it lives; a lock (from
// IClassFactory::LockServer or a running job) counts too.
void ObjectCreated();
void ObjectDestroyed();
void Lock();
void Unlock();
bool CanUnload();

// A COM object of the server: counted while it lives, freed at its last
// release.
class TServerObject {
public:
    TServerObject(const TServerObject&) = delete;
    TServerObject& operator=(const TServerObject&) = delete;

protected:
    TServerObject() { ObjectCreated(); }
    virtual ~TServerObject() { ObjectDestroyed(); }
    ULONG Reference() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    ULONG Unreference() {
        LONG n = InterlockedDecrement(&refs_);
        if (n == 0) delete this;
        return static_cast<ULONG>(n);
    }
    // Hands out one of the object's interfaces (none: E_NOINTERFACE).
    HRESULT Hand(void* face, void** ppv) {
        *ppv = face;
        if (!face) return E_NOINTERFACE;
        Reference();
        return S_OK;
    }

private:
    LONG refs_ = 1;
};

// This DLL's full path, and its folder ending in a backslash.
std::wstring ModulePath();
std::wstring ModuleFolder();
// The folder in the system code page, for the program's language files.
std::string ModuleFolderA();

}  // namespace tessivar
