#include "settings/Registry.h"
#include "settings/ShellIntegration.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

const char* const TestKey = "Software\\QuenmoorTests";

// Reads a value straight from the system, bypassing the registry object.
bool RawValue(HKEY root, const std::string& key, const std::string& name, std::string& out, DWORD* type = nullptr) {
    char data[1024] = {};
    DWORD size = sizeof data, t = 0;
    if (RegGetValueA(root, key.c_str(), name.c_str(), RRF_RT_ANY, &t, data, &size) != ERROR_SUCCESS) return false;
    out = t == REG_SZ ? std::string(data) : std::string();
    if (type) *type = t;
    return true;
}

bool RawKeyExists(HKEY root, const std::string& key) {
    HKEY h = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
    RegCloseKey(h);
    return true;
}

void RawDeleteTree(HKEY root, const std::string& key) { RegDeleteTreeA(root, key.c_str()); }

class RegistryObject : public testing::Test {
protected:
    void SetUp() override { RawDeleteTree(HKEY_CURRENT_USER, TestKey); }
    void TearDown() override { RawDeleteTree(HKEY_CURRENT_USER, TestKey); }
};

// Fails the calls a test picks; the others reach the system.
class FailingCalls : public TRegistryCalls {
public:
    std::function<bool(const std::string& path)> FailCreate = [](const std::string&) { return false; };
    std::function<bool(const std::string& name)> FailSet = [](const std::string&) { return false; };
    std::vector<std::string> Created;

    LSTATUS CreateKey(HKEY parent, const std::string& path, REGSAM access, HKEY* result) override {
        if (FailCreate(path)) return ERROR_ACCESS_DENIED;
        Created.push_back(path);
        return TRegistryCalls::CreateKey(parent, path, access, result);
    }
    LSTATUS SetValue(HKEY key, const std::string& name, DWORD type, const BYTE* data, DWORD size) override {
        if (FailSet(name)) return ERROR_ACCESS_DENIED;
        return TRegistryCalls::SetValue(key, name, type, data, size);
    }
};

struct CallsInPlace {
    explicit CallsInPlace(TRegistryCalls* calls) { SetRegistryCalls(calls); }
    ~CallsInPlace() { SetRegistryCalls(nullptr); }
};

}  // namespace

TEST_F(RegistryObject, PathsStartAtTheRootOrAtTheOpenKey) {
    TRegistry reg;
    EXPECT_FALSE(reg.OpenKey(std::string("\\") + TestKey, false));
    EXPECT_EQ(reg.CurrentKey(), nullptr);
    ASSERT_TRUE(reg.OpenKey(std::string("\\") + TestKey + "\\A", true));
    ASSERT_TRUE(reg.OpenKey("B", true));  // relative: below A
    reg.WriteString("Where", "B");
    EXPECT_TRUE(RawKeyExists(HKEY_CURRENT_USER, std::string(TestKey) + "\\A\\B"));
    HKEY b = reg.CurrentKey();
    EXPECT_FALSE(reg.OpenKey("Missing", false));
    EXPECT_EQ(reg.CurrentKey(), b);  // a failed open keeps the open key
    ASSERT_TRUE(reg.OpenKey(std::string("\\") + TestKey, false));
    EXPECT_TRUE(reg.KeyExists("A\\B"));
    EXPECT_TRUE(reg.KeyExists(std::string("\\") + TestKey + "\\A"));
    EXPECT_FALSE(reg.KeyExists("A\\C"));
    std::string value;
    ASSERT_TRUE(RawValue(HKEY_CURRENT_USER, std::string(TestKey) + "\\A\\B", "Where", value));
    EXPECT_EQ(value, "B");
}

TEST_F(RegistryObject, StringsAreWrittenAndReadAsStoredTexts) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(TestKey, true));
    reg.WriteString("Language", "Deutsch, Österreich");
    reg.WriteString("", "default value");
    reg.WriteString("Empty", "");
    EXPECT_EQ(reg.ReadString("Language"), "Deutsch, Österreich");
    EXPECT_EQ(reg.ReadString(""), "default value");
    EXPECT_EQ(reg.ReadString("Empty"), "");
    EXPECT_EQ(reg.ReadString("Missing"), "");
    DWORD type = 0;
    std::string raw;
    ASSERT_TRUE(RawValue(HKEY_CURRENT_USER, TestKey, "Language", raw, &type));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));

    // Other types of data.
    HKEY key = reg.CurrentKey();
    DWORD number = 7;
    RegSetValueExA(key, "Number", 0, REG_DWORD, reinterpret_cast<BYTE*>(&number), sizeof number);
    try {
        reg.ReadString("Number");
        FAIL() << "no error for a number";
    } catch (const ERegistryException& e) {
        EXPECT_STREQ(e.what(), "Invalid data type for 'Number'");
    }
    const char expand[] = "%TEMP%\\x";
    RegSetValueExA(key, "Expand", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(expand), sizeof expand);
    EXPECT_EQ(reg.ReadString("Expand"), "%TEMP%\\x");
    const char noZero[] = {'a', 'b', 'c'};  // stored without its terminating zero
    RegSetValueExA(key, "NoZero", 0, REG_SZ, reinterpret_cast<const BYTE*>(noZero), sizeof noZero);
    EXPECT_EQ(reg.ReadString("NoZero"), "abc");
    const char twoParts[] = "one\0two";
    RegSetValueExA(key, "TwoParts", 0, REG_SZ, reinterpret_cast<const BYTE*>(twoParts), sizeof twoParts);
    EXPECT_EQ(reg.ReadString("TwoParts"), "one");
}

TEST_F(RegistryObject, WriteFailuresRaiseWithTheValueName) {
    TRegistry none;
    try {
        none.WriteString("Language", "English");  // no key open
        FAIL() << "no error without a key";
    } catch (const ERegistryException& e) {
        EXPECT_STREQ(e.what(), "Failed to set data for 'Language'");
    }
    FailingCalls calls;
    calls.FailSet = [](const std::string& name) { return name.empty(); };
    CallsInPlace inPlace(&calls);
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(TestKey, true));
    try {
        reg.WriteString("", "x");
        FAIL() << "no error for a refused write";
    } catch (const ERegistryException& e) {
        EXPECT_STREQ(e.what(), "Failed to set data for ''");
    }
    std::string value;
    EXPECT_FALSE(RawValue(HKEY_CURRENT_USER, TestKey, "", value));
}

TEST_F(RegistryObject, DeleteKeyRemovesTheWholeTreeAndNeverRaises) {
    TRegistry reg;
    for (const char* sub : {"\\Top\\A\\Deep\\Deeper", "\\Top\\B", "\\Top\\C"}) {
        ASSERT_TRUE(reg.OpenKey(std::string("\\") + TestKey + sub, true));
        reg.WriteString("v", sub);
    }
    reg.CloseKey();
    ASSERT_TRUE(reg.OpenKey(std::string("\\") + TestKey, false));
    EXPECT_TRUE(reg.DeleteKey("Top"));
    EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, std::string(TestKey) + "\\Top"));
    EXPECT_TRUE(RawKeyExists(HKEY_CURRENT_USER, TestKey));
    EXPECT_FALSE(reg.DeleteKey("Top"));
    EXPECT_FALSE(reg.DeleteKey(""));  // never the open key itself
    EXPECT_TRUE(RawKeyExists(HKEY_CURRENT_USER, TestKey));
}

// ---- Explorer integration in the real registry ----

namespace {

class Integration : public testing::Test {
protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }
    static void Clean() {
        for (const char* key : {"*\\shellex\\ContextMenuHandlers\\Tessivar", "*\\shellex\\DragDropHandlers\\Tessivar",
                                "Directory\\shellex\\DragDropHandlers\\Tessivar",
                                "CLSID\\{5D1E7A20-9C43-4F0B-8A6E-3B72C915D4E8}"})
            RawDeleteTree(HKEY_CLASSES_ROOT, key);
    }
    // Each integration key with its values, as the system reports them.
    static std::string Dump() {
        std::string out;
        for (const std::string& key : ShellIntegration::Keys()) {
            std::string path = key.substr(1), value;
            out += path + (RawKeyExists(HKEY_CLASSES_ROOT, path) ? ":" : " missing");
            if (RawValue(HKEY_CLASSES_ROOT, path, "", value)) out += " =" + value;
            if (RawValue(HKEY_CLASSES_ROOT, path, "ThreadingModel", value)) out += " TM=" + value;
            out += "\n";
        }
        return out;
    }
};

const char* const Clsid = "{5D1E7A20-9C43-4F0B-8A6E-3B72C915D4E8}";

}  // namespace

TEST_F(Integration, RegisterWritesTheFiveKeysAndUnregisterRemovesThem) {
    EXPECT_FALSE(ShellIntegration::IsRegistered());
    ShellIntegration::Register("C:\\Program Files\\Quenmoor\\");
    std::string c = std::string(" =") + Clsid + "\n";
    EXPECT_EQ(Dump(), "*\\shellex\\ContextMenuHandlers\\Tessivar:" + c + "*\\shellex\\DragDropHandlers\\Tessivar:" + c +
                          "Directory\\shellex\\DragDropHandlers\\Tessivar:" + c + "CLSID\\" + Clsid + ":\n" +
                          "CLSID\\" + Clsid +
                          "\\InProcServer32: =C:\\Program Files\\Quenmoor\\tessivar.dll TM=Apartment\n");
    EXPECT_TRUE(ShellIntegration::IsRegistered());
    // Twice is the same; another folder rewrites the server's path.
    ShellIntegration::Register("D:\\Moved\\");
    std::string server;
    ASSERT_TRUE(RawValue(HKEY_CLASSES_ROOT, std::string("CLSID\\") + Clsid + "\\InProcServer32", "", server));
    EXPECT_EQ(server, "D:\\Moved\\tessivar.dll");

    // Any one key missing makes the answer false.
    RawDeleteTree(HKEY_CLASSES_ROOT, "Directory\\shellex\\DragDropHandlers\\Tessivar");
    EXPECT_FALSE(ShellIntegration::IsRegistered());
    ShellIntegration::Register("D:\\Moved\\");
    RawDeleteTree(HKEY_CLASSES_ROOT, std::string("CLSID\\") + Clsid + "\\InProcServer32");
    EXPECT_FALSE(ShellIntegration::IsRegistered());

    ShellIntegration::Unregister();
    for (const std::string& key : ShellIntegration::Keys()) EXPECT_FALSE(RawKeyExists(HKEY_CLASSES_ROOT, key.substr(1)));
    EXPECT_TRUE(RawKeyExists(HKEY_CLASSES_ROOT, "*\\shellex\\ContextMenuHandlers"));
    EXPECT_TRUE(RawKeyExists(HKEY_CLASSES_ROOT, "Directory\\shellex\\DragDropHandlers"));
    ShellIntegration::Unregister();  // nothing there: nothing happens
    EXPECT_FALSE(ShellIntegration::IsRegistered());
}

TEST_F(Integration, AKeyThatCannotBeCreatedStopsRegisterBeforeAnyOfItsValues) {
    // Each key in turn refuses creation: nothing lands in another key.
    for (size_t failing = 0; failing < ShellIntegration::Keys().size(); ++failing) {
        SCOPED_TRACE(failing);
        Clean();
        std::string refused = ShellIntegration::Keys()[failing].substr(1);
        FailingCalls calls;
        calls.FailCreate = [&](const std::string& path) { return path == refused; };
        CallsInPlace inPlace(&calls);
        try {
            ShellIntegration::Register("C:\\Q\\");
            FAIL() << "no error";
        } catch (const ERegistryException& e) {
            EXPECT_STREQ(e.what(), "Failed to set data for ''");
        }
        for (size_t i = 0; i < ShellIntegration::Keys().size(); ++i) {
            std::string path = ShellIntegration::Keys()[i].substr(1), value;
            bool hasDefault = RawValue(HKEY_CLASSES_ROOT, path, "", value);
            bool hasModel = RawValue(HKEY_CLASSES_ROOT, path, "ThreadingModel", value);
            EXPECT_FALSE(hasModel) << path;
            if (i < failing && i != 3) EXPECT_EQ(value, Clsid) << path;
            if (i >= failing || i == 3) EXPECT_FALSE(hasDefault) << path;
        }
        EXPECT_FALSE(ShellIntegration::IsRegistered());
    }
}

TEST_F(Integration, RegisterStoresEnglishOnlyWhenNoLanguageKeyExists) {
    std::string saved;
    bool hadLanguage = RawValue(HKEY_LOCAL_MACHINE, "Software\\Quenmoor", "Language", saved);
    RawDeleteTree(HKEY_LOCAL_MACHINE, "Software\\Quenmoor");
    ShellIntegration::Register("C:\\Q\\");
    std::string value;
    ASSERT_TRUE(RawValue(HKEY_LOCAL_MACHINE, "Software\\Quenmoor", "Language", value));
    EXPECT_EQ(value, "English");
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, "Software\\Quenmoor", "Language", REG_SZ, "German", 7);
    ShellIntegration::Register("C:\\Q\\");
    ShellIntegration::Unregister();
    ASSERT_TRUE(RawValue(HKEY_LOCAL_MACHINE, "Software\\Quenmoor", "Language", value));
    EXPECT_EQ(value, "German");

    // Without write access to the classes nothing is written anywhere.
    RawDeleteTree(HKEY_LOCAL_MACHINE, "Software\\Quenmoor");
    FailingCalls calls;
    calls.FailCreate = [](const std::string&) { return true; };
    {
        CallsInPlace inPlace(&calls);
        EXPECT_THROW(ShellIntegration::Register("C:\\Q\\"), ERegistryException);
    }
    EXPECT_FALSE(RawKeyExists(HKEY_LOCAL_MACHINE, "Software\\Quenmoor"));
    EXPECT_FALSE(RawKeyExists(HKEY_CLASSES_ROOT, "*\\shellex\\ContextMenuHandlers\\Tessivar"));

    if (hadLanguage)
        RegSetKeyValueA(HKEY_LOCAL_MACHINE, "Software\\Quenmoor", "Language", REG_SZ, saved.c_str(),
                        static_cast<DWORD>(saved.size() + 1));
}
