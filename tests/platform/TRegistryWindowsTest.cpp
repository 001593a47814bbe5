// TRegistry over the registry API, read under Wine from a prefix into which
// TRegistryWindowsTest.reg was imported (the CTest fixture "wine_registry"). The key is not the
// program's own, so the whole-upgrade test can import real settings into the same prefix.
#include <gtest/gtest.h>

#include "TRegistry.h"

using namespace kavel;

namespace {

const char* const kKey = "SOFTWARE\\KorvenSoft\\KavelRegistryTest";

}  // namespace

TEST(TRegistryWindows, ReadsTextValuesOfAKeyUnderLocalMachine) {
    TRegistry reg;
    reg.SetRootKey(RootKey::LocalMachine);
    ASSERT_TRUE(reg.KeyExists(kKey)) << "was TRegistryWindowsTest.reg imported?";
    ASSERT_TRUE(reg.OpenKeyReadOnly(kKey));
    const struct {
        const char* name;
        const char* text;
    } cases[] = {
        {"ODBCNAME", " KavelODBC "},             // as stored; the caller trims
        {"username", "240224042406"},            // names match without regard to case
        {"Chinese", "期刊管理"},                 // UTF-16 in the registry, UTF-8 here
        {"Path", "%SystemRoot%\\\xE6\x9C\xAC"},  // expandable: returned unexpanded
        {"NOSUCHVALUE", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(reg.ReadString(c.name), c.text) << c.name;
    reg.CloseKey();
    EXPECT_EQ(reg.ReadString("ODBCNAME"), "");  // the root key holds no such value
}

TEST(TRegistryWindows, KeysMatchWithoutRegardToCaseAndRelativeToTheOpenKey) {
    TRegistry reg;
    reg.SetRootKey(RootKey::LocalMachine);
    EXPECT_TRUE(reg.KeyExists("software\\KORVENSOFT\\kavelregistrytest"));
    ASSERT_TRUE(reg.OpenKeyReadOnly("Software\\KorvenSoft"));
    EXPECT_TRUE(reg.KeyExists("KavelRegistryTest\\Sub"));
    EXPECT_FALSE(reg.KeyExists("SOFTWARE\\KorvenSoft"));  // relative: below the open key
    EXPECT_TRUE(reg.KeyExists("\\SOFTWARE\\KorvenSoft\\KavelRegistryTest"));  // absolute
    EXPECT_FALSE(reg.OpenKeyReadOnly("Missing"));                             // the open key stays
    ASSERT_TRUE(reg.OpenKeyReadOnly("KavelRegistryTest\\Sub"));
    EXPECT_EQ(reg.ReadString("Inner"), "x");
}

TEST(TRegistryWindows, EachRootKeyIsItsOwnTree) {
    TRegistry reg;  // starts at HKEY_CURRENT_USER
    EXPECT_FALSE(reg.KeyExists(kKey));
    EXPECT_TRUE(reg.KeyExists("Software"));  // a key every user profile has
    reg.SetRootKey(RootKey::LocalMachine);
    EXPECT_TRUE(reg.KeyExists(kKey));
    reg.SetRootKey(RootKey::Users);
    EXPECT_FALSE(reg.KeyExists(kKey));
}

TEST(TRegistryWindows, ValueOfAnotherTypeIsATypeError) {
    TRegistry reg;
    reg.SetRootKey(RootKey::LocalMachine);
    ASSERT_TRUE(reg.OpenKeyReadOnly(kKey));
    try {
        reg.ReadString("PASSWORD");
        ADD_FAILURE() << "a dword was read as text";
    } catch (const RegistryError& e) {
        const std::string msg = e.what();
        EXPECT_NE(msg.find("'PASSWORD'"), std::string::npos) << msg;
        EXPECT_NE(msg.find("HKEY_LOCAL_MACHINE\\SOFTWARE\\KorvenSoft\\KavelRegistryTest"),
                  std::string::npos)
            << msg;
    }
}

TEST(TRegistryWindows, MissingKeyReadsAsNothing) {
    TRegistry reg;
    reg.SetRootKey(RootKey::LocalMachine);
    EXPECT_FALSE(reg.KeyExists("SOFTWARE\\KorvenSoft\\NoSuchKey"));
    EXPECT_FALSE(reg.OpenKeyReadOnly("SOFTWARE\\KorvenSoft\\NoSuchKey"));
    EXPECT_EQ(reg.ReadString("ODBCNAME"), "");
}

// The main program is 32-bit: on 64-bit Windows its settings are in the 32-bit view, which this
// 64-bit build must read, and prefer when both views hold the key.
TEST(TRegistryWindows, ReadsTheViewOfThe32BitMainProgramFirst) {
    TRegistry reg;
    reg.SetRootKey(RootKey::LocalMachine);
    ASSERT_TRUE(reg.KeyExists("SOFTWARE\\KorvenSoft\\KavelRegistryTest32"))
        << "was TRegistryWindowsTest32.reg imported with /reg:32?";
    ASSERT_TRUE(reg.OpenKeyReadOnly("SOFTWARE\\KorvenSoft\\KavelRegistryTest32"));
    EXPECT_EQ(reg.ReadString("ODBCNAME"), "期刊 KavelODBC");
    ASSERT_TRUE(reg.OpenKeyReadOnly("\\SOFTWARE\\KorvenSoft\\KavelRegistryTestBoth"));
    EXPECT_EQ(reg.ReadString("View"), "32");
}
