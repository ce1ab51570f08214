#include "settings/ShellIntegration.h"

#include "fs/FileSystem.h"
#include "settings/Registry.h"

namespace ShellIntegration {

void Register(const std::string& ProgramFolder) {
    for (const Entry& entry : Entries) {
        // Each key on its own registry object, so a key that cannot be
        // created never leaves an earlier one open to receive its values.
        TRegistry reg;
        reg.RootKey = HKEY_CLASSES_ROOT;
        if (!reg.OpenKey(entry.Key, true))
            throw ERegistryException(
                tk::Format("Failed to set data for '%s'", entry.ValueCount ? entry.Values[0].Name : ""));
        for (int i = 0; i < entry.ValueCount; ++i) {
            const Value& v = entry.Values[i];
            reg.WriteString(v.Name, v.Data ? std::string(v.Data) : ProgramFolder + ServerFile);
        }
    }
    TRegistry reg;
    reg.RootKey = HKEY_LOCAL_MACHINE;
    if (!reg.KeyExists(SettingsKey)) {
        reg.OpenKey(SettingsKey, true);
        reg.WriteString(LanguageValue, "English");
    }
}

namespace {
std::wstring ServerPath(const std::string& ProgramFolder) { return fs::Widen(ProgramFolder + ServerFile); }
}  // namespace

void Unregister(const std::string& ProgramFolder) {
    const Removal removal(ServerPath(ProgramFolder));
    TRegistry reg;
    reg.RootKey = HKEY_CLASSES_ROOT;
    for (const Entry& entry : Entries)
        if (removal.Deletes(entry)) reg.DeleteKey(entry.Key);
}

bool IsRegistered(const std::string& ProgramFolder) {
    TRegistry reg;
    reg.RootKey = HKEY_CLASSES_ROOT;
    for (const Entry& entry : Entries)
        if (!reg.OpenKey(entry.Key, false)) return false;
    return ClassOwner(ServerPath(ProgramFolder)) == Owner::This;
}

}  // namespace ShellIntegration
