#include "settings/ShellIntegration.h"

#include "settings/Registry.h"

namespace ShellIntegration {

const char* const ClassId = "{5D1E7A20-9C43-4F0B-8A6E-3B72C915D4E8}";

namespace {
const std::string ContextMenuKey = "\\*\\shellex\\ContextMenuHandlers\\Tessivar";
const std::string FileDropKey = "\\*\\shellex\\DragDropHandlers\\Tessivar";
const std::string FolderDropKey = "\\Directory\\shellex\\DragDropHandlers\\Tessivar";
const std::string ClassKey = std::string("\\CLSID\\") + ClassId;
const std::string ServerKey = ClassKey + "\\InProcServer32";

// Each key on its own registry object, so a key that cannot be created
// never leaves an earlier one open to receive its values.
void OpenForWriting(TRegistry& reg, const std::string& key, const std::string& firstValue) {
    reg.RootKey = HKEY_CLASSES_ROOT;
    if (!reg.OpenKey(key, true))
        throw ERegistryException(tk::Format("Failed to set data for '%s'", firstValue.c_str()));
}
}  // namespace

const std::vector<std::string>& Keys() {
    static const std::vector<std::string> keys{ContextMenuKey, FileDropKey, FolderDropKey, ClassKey, ServerKey};
    return keys;
}

void Register(const std::string& ProgramFolder) {
    for (const std::string& key : {ContextMenuKey, FileDropKey, FolderDropKey}) {
        TRegistry reg;
        OpenForWriting(reg, key, "");
        reg.WriteString("", ClassId);
    }
    {
        // The class key holds no value; its first write is the server's.
        TRegistry reg;
        OpenForWriting(reg, ClassKey, "");
    }
    {
        TRegistry reg;
        OpenForWriting(reg, ServerKey, "");
        reg.WriteString("", ProgramFolder + "tessivar.dll");
        reg.WriteString("ThreadingModel", "Apartment");
    }
    TRegistry reg;
    reg.RootKey = HKEY_LOCAL_MACHINE;
    if (!reg.KeyExists("Software\\Quenmoor")) {
        reg.OpenKey("Software\\Quenmoor", true);
        reg.WriteString("Language", "English");
    }
}

void Unregister() {
    TRegistry reg;
    reg.RootKey = HKEY_CLASSES_ROOT;
    for (const std::string& key : {ContextMenuKey, FileDropKey, FolderDropKey, ClassKey}) reg.DeleteKey(key);
}

bool IsRegistered() {
    TRegistry reg;
    reg.RootKey = HKEY_CLASSES_ROOT;
    for (const std::string& key : Keys())
        if (!reg.OpenKey(key, false)) return false;
    return true;
}

}  // namespace ShellIntegration
