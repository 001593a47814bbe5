#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "TRegistry.h"

using namespace kavel;

namespace {

// Points KAVEL_HKLM at a file of its own for the life of one test.
class RegistryFile {
public:
    explicit RegistryFile(const std::string& content) {
        char dir[] = "/tmp/tregistry-XXXXXX";
        if (mkdtemp(dir) == nullptr) throw std::runtime_error("mkdtemp failed");
        dir_ = dir;
        path_ = dir_ + "/HKLM.reg";
        if (!content.empty()) std::ofstream(path_, std::ios::binary) << content;
        setenv("KAVEL_HKLM", path_.c_str(), 1);
    }
    ~RegistryFile() {
        unsetenv("KAVEL_HKLM");
        std::remove(path_.c_str());
        rmdir(dir_.c_str());
    }
    const std::string& Path() const { return path_; }

private:
    std::string dir_, path_;
};

const char* const kSettings =
    "Windows Registry Editor Version 5.00\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KorvenSoft\\Kavel]\r\n"
    "\"ODBCNAME\"=\" KavelODBC \"\r\n"
    "\"USERNAME\"=\"240224042406\"\r\n"
    "\"PASSWORD\"=dword:00000001\r\n";

const char* const kKey = "SOFTWARE\\KorvenSoft\\Kavel";

}  // namespace

// Names and cases are the file's (RegFileTest); TRegistry adds the root, the open key and
// paths relative to it.
TEST(TRegistry, PathsResolveUnderTheRootAndRelativeToTheOpenKey) {
    RegistryFile file(kSettings);
    TRegistry reg;  // starts at HKEY_CURRENT_USER
    EXPECT_FALSE(reg.KeyExists(kKey));
    EXPECT_THROW(reg.SetRootKey(0x80000004), RegistryError);
    reg.SetRootKey(0x80000002);
    ASSERT_TRUE(reg.OpenKeyReadOnly("SOFTWARE"));
    EXPECT_TRUE(reg.KeyExists("KorvenSoft\\Kavel"));
    EXPECT_FALSE(reg.KeyExists(kKey));                            // relative: SOFTWARE\SOFTWARE\...
    EXPECT_TRUE(reg.KeyExists("\\SOFTWARE\\KorvenSoft\\Kavel"));  // absolute
    EXPECT_FALSE(reg.OpenKeyReadOnly("Missing"));                 // the open key stays
    ASSERT_TRUE(reg.OpenKeyReadOnly("KorvenSoft\\Kavel"));
    EXPECT_EQ(reg.ReadString("ODBCNAME"), " KavelODBC ");
    EXPECT_EQ(reg.ReadString("NOSUCHVALUE"), "");
    reg.CloseKey();
    EXPECT_EQ(reg.ReadString("ODBCNAME"), "");  // the root key holds no such value
    ASSERT_TRUE(reg.OpenKeyReadOnly(kKey));
    reg.SetRootKey(RootKey::LocalMachine);  // choosing a root closes the open key
    EXPECT_EQ(reg.ReadString("ODBCNAME"), "");
}

TEST(TRegistry, ValueOfAnotherTypeIsATypeError) {
    RegistryFile file(kSettings);
    TRegistry reg;
    reg.SetRootKey(RootKey::LocalMachine);
    ASSERT_TRUE(reg.OpenKeyReadOnly(kKey));
    try {
        reg.ReadString("PASSWORD");
        ADD_FAILURE() << "a dword was read as text";
    } catch (const RegistryError& e) {
        std::string msg = e.what();
        for (const std::string& part :
             {file.Path() + ":6:", std::string("'PASSWORD'"), std::string("REG_DWORD")})
            EXPECT_NE(msg.find(part), std::string::npos) << msg;
    }
}

// The file is the one KAVEL_HKLM names, read at the first look-up: creating a TRegistry never
// fails, and a malformed file is not taken for an empty one. (A missing file is RegFile's.)
TEST(TRegistry, TheFileNamedByTheEnvironmentIsReadAtTheFirstLookup) {
    unsetenv("KAVEL_HKLM");
    EXPECT_EQ(TRegistry::StorePath(), "/etc/korvensoft/HKLM.reg");
    RegistryFile file("Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\SOFTWARE\n");
    EXPECT_EQ(TRegistry::StorePath(), file.Path());
    TRegistry reg;
    reg.SetRootKey(RootKey::LocalMachine);
    try {
        reg.KeyExists(kKey);
        ADD_FAILURE() << "a malformed file was accepted";
    } catch (const RegistryError& e) {
        EXPECT_NE(std::string(e.what()).find(file.Path() + ":2:"), std::string::npos) << e.what();
    }
}
