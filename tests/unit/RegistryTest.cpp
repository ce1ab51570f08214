#include "settings/Registry.h"
#include "support/RawRegistry.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

const std::string TestKey = "Software\\QuenmoorTests";

class RegistryObject : public testing::Test {
protected:
    void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, TestKey.c_str()); }
    void TearDown() override { SetUp(); }
};

}  // namespace

TEST_F(RegistryObject, PathsDeletionReadingAndWriting) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\" + TestKey + "\\A", true));
    ASSERT_TRUE(reg.OpenKey("B", true));  // relative: below A
    reg.WriteString("Where", "B");
    HKEY b = reg.CurrentKey();
    EXPECT_FALSE(reg.OpenKey("Missing", false));
    EXPECT_EQ(reg.CurrentKey(), b);  // a failed open keeps the open key
    EXPECT_EQ(RawValue(HKEY_CURRENT_USER, TestKey + "\\A\\B", "Where"), "B");
    ASSERT_TRUE(reg.OpenKey("\\" + TestKey, false));
    EXPECT_TRUE(reg.KeyExists("A\\B"));
    EXPECT_FALSE(reg.KeyExists("A\\C"));
    MakeReadOnly(HKEY_CURRENT_USER, TestKey + "\\A\\B");
    EXPECT_TRUE(reg.KeyExists("A\\B"));  // exists for a user who may only read it
    EXPECT_FALSE(reg.OpenKey("A\\B", false));  // but does not open for changing
    EXPECT_TRUE(reg.DeleteKey("A"));
    EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, TestKey + "\\A"));
    EXPECT_FALSE(reg.DeleteKey("A"));
    EXPECT_FALSE(reg.DeleteKey(""));  // never the open key itself
    EXPECT_TRUE(RawKeyExists(HKEY_CURRENT_USER, TestKey));
    try {
        TRegistry().WriteString("Language", "English");  // no key open
        ADD_FAILURE() << "no error";
    } catch (const ERegistryException& e) {
        EXPECT_STREQ(e.what(), "Failed to set data for 'Language'");
    }
    reg.WriteString("Language", "Deutsch, Österreich");  // in the key still open
    EXPECT_EQ(RawValue(HKEY_CURRENT_USER, TestKey, "Language"), "Deutsch, Österreich");
    EXPECT_EQ(reg.ReadString("Language"), "Deutsch, Österreich");
    EXPECT_EQ(reg.ReadString("Missing"), "");
    const char noZero[] = {'a', 'b', 'c'};  // stored without its terminating zero
    RegSetValueExA(reg.CurrentKey(), "NoZero", 0, REG_SZ, reinterpret_cast<const BYTE*>(noZero), sizeof noZero);
    EXPECT_EQ(reg.ReadString("NoZero"), "abc");
}
