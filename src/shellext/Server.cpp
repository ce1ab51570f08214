#include "shellext/Server.h"

#include "fs/FileSystem.h"

namespace tessivar {

namespace {
HMODULE g_module = nullptr;
LONG g_objects = 0;
LONG g_locks = 0;

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L"\\/:") + 1); }
}  // namespace

void SetModule(HMODULE module) { g_module = module; }
HMODULE Module() { return g_module; }

void ObjectCreated() { InterlockedIncrement(&g_objects); }
void ObjectDestroyed() { InterlockedDecrement(&g_objects); }
void Lock() { InterlockedIncrement(&g_locks); }
void Unlock() { InterlockedDecrement(&g_locks); }
bool CanUnload() { return InterlockedCompareExchange(&g_objects, 0, 0) == 0 && InterlockedCompareExchange(&g_locks, 0, 0) == 0; }

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(g_module, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::wstring ModuleFolder() { return FolderOf(ModulePath()); }

std::string ModuleFolderA() {
    // A folder the process code page cannot carry reads no language file.
    std::string folder;
    return fs::NarrowExact(ModuleFolder(), folder) ? folder : std::string();
}

}  // namespace tessivar
