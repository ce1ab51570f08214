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

// This DLL's full path, and its folder ending in a backslash.
std::wstring ModulePath();
std::wstring ModuleFolder();
// The folder in the system code page, for the program's language files.
std::string ModuleFolderA();

}  // namespace tessivar
