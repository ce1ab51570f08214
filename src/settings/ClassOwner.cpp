// Which copy the registered integration belongs to, and where the extension
// can be loaded at all: shared by the options window and the extension.
#include "fs/FileSystem.h"
#include "settings/ShellIntegration.h"

#include <string_view>

namespace ShellIntegration {

namespace {
// The class's keys are redirected per view on 64-bit Windows; the handler
// keys are not.
bool IsClassKey(const Entry& entry) { return std::string_view(entry.Key).starts_with("\\CLSID\\"); }

// The other view: the 32-bit one for a 64-bit program, the 64-bit one for a
// 32-bit program (32-bit Windows ignores the flag and shows its only view).
constexpr REGSAM OtherView = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;

// The value of the table that the server's path goes into, nullptr when none.
const Value* ServerValue(const Entry& entry) {
    for (int i = 0; i < entry.ValueCount; ++i)
        if (!entry.Values[i].Data) return &entry.Values[i];
    return nullptr;
}

std::wstring ReadServer(const Entry& entry, const Value& value, REGSAM view) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, fs::Widen(entry.Key + 1).c_str(), 0, KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS)
        return {};
    const std::wstring name = fs::Widen(value.Name);
    std::wstring data(MAX_PATH, L'\0');
    DWORD size = 0;
    LSTATUS rc;
    do {
        size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
        // A REG_EXPAND_SZ comes expanded.
        rc = RegGetValueW(key, nullptr, name.c_str(), RRF_RT_REG_SZ, nullptr, data.data(), &size);
        if (rc == ERROR_MORE_DATA) data.resize(size / sizeof(wchar_t) + 1);
    } while (rc == ERROR_MORE_DATA);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS) return {};
    data.resize(wcslen(data.c_str()));
    return data;
}
}  // namespace

Owner ClassOwner(const std::wstring& ServerPath, REGSAM View) {
    for (const Entry& entry : Entries) {
        const Value* value = ServerValue(entry);
        if (!value) continue;
        std::wstring server = ReadServer(entry, *value, View);
        if (server.empty()) return Owner::Nobody;
        return fs::OneFile(server, ServerPath) ? Owner::This : Owner::Another;
    }
    return Owner::Nobody;
}

Removal::Removal(const std::wstring& ServerPath) {
    class_ = ClassOwner(ServerPath) != Owner::Another;
    handlers_ = class_ && ClassOwner(ServerPath, OtherView) != Owner::Another;
}

bool Removal::Deletes(const Entry& entry) const { return entry.Removed && (IsClassKey(entry) ? class_ : handlers_); }

bool ExplorerLoadsThisBuild(IsWow64Process2Fn isWow64Process2, IsWow64ProcessFn isWow64Process) {
    HANDLE self = GetCurrentProcess();
    USHORT process = IMAGE_FILE_MACHINE_UNKNOWN, native = IMAGE_FILE_MACHINE_UNKNOWN;
    if (isWow64Process2 && isWow64Process2(self, &process, &native)) return process == IMAGE_FILE_MACHINE_UNKNOWN;
    BOOL wow64 = FALSE;
    return !(isWow64Process && isWow64Process(self, &wow64) && wow64);
}

bool ExplorerLoadsThisBuild() {
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    return ExplorerLoadsThisBuild(reinterpret_cast<IsWow64Process2Fn>(GetProcAddress(kernel, "IsWow64Process2")),
                                  reinterpret_cast<IsWow64ProcessFn>(GetProcAddress(kernel, "IsWow64Process")));
}

}  // namespace ShellIntegration
