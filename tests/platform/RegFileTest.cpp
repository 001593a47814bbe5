#include <gtest/gtest.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "RegFile.h"

using namespace kavel;

namespace {

// UTF-8 -> UTF-16LE bytes, with a BOM in front when asked.
std::string Utf16Le(const std::string& utf8, bool bom) {
    iconv_t cd = iconv_open("UTF-16LE", "UTF-8");
    std::string out(utf8.size() * 4 + 2, '\0');
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    char* o = out.data();
    std::size_t oLeft = out.size();
    iconv(cd, &in, &inLeft, &o, &oLeft);
    iconv_close(cd);
    out.resize(out.size() - oLeft);
    return bom ? "\xFF\xFE" + out : out;
}

const char* const kSample =
    "Windows Registry Editor Version 5.00\r\n"
    "\r\n"
    "; settings of the main program\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KorvenSoft\\Kavel]\r\n"
    "\"ODBCNAME\"=\"  KavelODBC \"\r\n"
    "\"USERNAME\"=\"240224042406\"\r\n"
    "@=\"default text\"\r\n"
    "\"Quoted\"=\"a\\\\b\\\"c\"\r\n"
    "\"Chinese\"=\"期刊管理\"\r\n"
    "\"Count\"=dword:0000001f\r\n"
    "\"Blob\"=hex:01,02,ff\r\n"
    "\"List\"=hex(7):41,00,00,00,00,00\r\n"
    "\"Path\"=hex(2):25,00,53,00,79,00,73,00,74,00,65,00,6d,00,52,00,6f,00,6f,00,74,\\\r\n"
    "  00,25,00,5c,00,2c,67,00,00\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\r\n"
    "\"Gone\"=\"x\"\r\n"
    "\"Gone\"=-\r\n";

}  // namespace

// Every value of the sample, read from the file as written, as UTF-16LE with a BOM and as UTF-8
// with a BOM: text as stored, other types named with their line.
TEST(RegFile, ReadsEveryValueInEachEncoding) {
    const std::string key = "HKEY_LOCAL_MACHINE\\SOFTWARE\\KorvenSoft\\Kavel";
    struct Case {
        const char* name;
        const char* text;  // nullptr: not text
        const char* type;
        int line;
    } cases[] = {
        {"ODBCNAME", "  KavelODBC ", "REG_SZ", 5},  // stored as written; the caller trims
        {"USERNAME", "240224042406", "REG_SZ", 6},
        {"", "default text", "REG_SZ", 7},
        {"Quoted", "a\\b\"c", "REG_SZ", 8},
        {"Chinese", "期刊管理", "REG_SZ", 9},
        {"Count", nullptr, "REG_DWORD", 10},
        {"Blob", nullptr, "REG_BINARY", 11},
        {"List", nullptr, "REG_MULTI_SZ", 12},
        {"Path", "%SystemRoot%\\本", "REG_EXPAND_SZ", 13},  // unexpanded, trailing NUL dropped
    };
    for (const std::string& bytes :
         {std::string(kSample), Utf16Le(kSample, true), "\xEF\xBB\xBF" + std::string(kSample)}) {
        RegFile reg = RegFile::Parse(bytes, "HKLM.reg");
        ASSERT_TRUE(reg.KeyExists(key));
        for (const auto& c : cases) {
            const RegValue* v = reg.FindValue(key, c.name);
            ASSERT_NE(v, nullptr) << c.name;
            EXPECT_EQ(v->IsText(), c.text != nullptr) << c.name;
            if (c.text) {
                EXPECT_EQ(v->text, c.text) << c.name;
            }
            EXPECT_EQ(v->typeName, c.type) << c.name;
            EXPECT_EQ(v->line, c.line) << c.name;
        }
        EXPECT_EQ(reg.FindValue(key, "Path")->kind, RegValue::Kind::ExpandString);
        EXPECT_EQ(reg.FindValue(key, "Missing"), nullptr);
        EXPECT_EQ(reg.FindValue("HKEY_LOCAL_MACHINE\\SOFTWARE\\Other", "Gone"), nullptr);
    }
}

TEST(RegFile, KeysAndValueNamesMatchWithoutRegardToCase) {
    RegFile reg = RegFile::Parse(kSample, "HKLM.reg");
    EXPECT_TRUE(reg.KeyExists("hkey_local_machine\\software\\korvensoft\\KAVEL"));
    EXPECT_TRUE(reg.KeyExists("HKEY_LOCAL_MACHINE\\Software\\KorvenSoft\\"));  // parent key
    EXPECT_TRUE(reg.KeyExists("HKEY_LOCAL_MACHINE"));
    EXPECT_FALSE(reg.KeyExists("HKEY_LOCAL_MACHINE\\SOFTWARE\\Korven"));
    EXPECT_FALSE(reg.KeyExists("HKEY_CURRENT_USER\\SOFTWARE\\KorvenSoft\\Kavel"));
    const RegValue* v =
        reg.FindValue("HKEY_LOCAL_MACHINE\\software\\KORVENSOFT\\kavel", "odbcName");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->text, "  KavelODBC ");
}

TEST(RegFile, Regedit4FileTakesExpandableStringsAsCodePage936) {
    RegFile reg = RegFile::Parse(
        "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\KorvenSoft\\Kavel]\n"
        "\"ODBCNAME\"=hex(2):c6,da,bf,af,00\n\"Plain\"=\"abc\"\n",
        "old.reg");
    const std::string key = "HKEY_LOCAL_MACHINE\\SOFTWARE\\KorvenSoft\\Kavel";
    EXPECT_EQ(reg.FindValue(key, "ODBCNAME")->text, "期刊");
    EXPECT_EQ(reg.FindValue(key, "Plain")->text, "abc");
}

TEST(RegFile, RemovedKeyTakesItsSubkeysAlong) {
    RegFile reg = RegFile::Parse(
        "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A\\B\\C]\n\"v\"=\"1\"\n"
        "[HKEY_LOCAL_MACHINE\\A\\Bee]\n[-HKEY_LOCAL_MACHINE\\a\\b]\n",
        "x.reg");
    EXPECT_FALSE(reg.KeyExists("HKEY_LOCAL_MACHINE\\A\\B"));
    EXPECT_FALSE(reg.KeyExists("HKEY_LOCAL_MACHINE\\A\\B\\C"));
    EXPECT_TRUE(reg.KeyExists("HKEY_LOCAL_MACHINE\\A\\Bee"));
}

TEST(RegFile, MalformedFileNamesFileAndLine) {
    const std::string h = "Windows Registry Editor Version 5.00\n";
    const std::string k = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\X]\n";
    struct Case {
        std::string bytes;
        int line;
        const char* says;
    } cases[] = {
        {"", 1, "empty file"},
        {"REGEDIT5\n", 1, "not a registry file"},
        {"\n\nWindows Registry Editor\n", 3, "not a registry file"},
        {h + "\"a\"=\"b\"\n", 2, "outside a [key]"},
        {h + "[HKEY_LOCAL_MACHINE\\SOFTWARE\n", 2, "closing ']'"},
        {h + "[HKLM\\SOFTWARE]\n", 2, "unknown root key 'HKLM'"},
        {h + "[]\n", 2, "without a key name"},
        {h + k + "\"a\"=\"b\n", 3, "closing '\"'"},
        {h + k + "\"a\"=\"b\\n\"\n", 3, "unknown escape"},
        {h + k + "\"a\"=\"b\" x\n", 3, "after the string"},
        {h + k + "\"a\" \"b\"\n", 3, "expected '='"},
        {h + k + "\"a\"=abc\n", 3, "unrecognised value data"},
        {h + k + "\"a\"=dword:12345678 9\n", 3, "dword"},
        {h + k + "\"a\"=dword:\n", 3, "dword"},
        {h + k + "\"a\"=hex:01,0g\n", 3, "'0g'"},
        {h + k + "\"a\"=hex:01,\\\n  02,\\\n  0x3\n", 5, "'0x3'"},
        {h + k + "\"a\"=hex:01,\\\n", 3, "past the end"},
        {h + k + "\"a\"=hex:01,\n", 3, "ends with ','"},
        {h + k + "\"a\"=hex(z):01\n", 3, "type number"},
        {h + k + "\"a\"=hex(2):41,00,42\n", 3, "odd number of bytes"},
        {h + k + "\"a\"=hex(2):00,d8,41,00\n", 3, "unpaired surrogate"},
        {h + k + "\"a\"=\"b\"\n\"c\"=\"\xC3(\"\n", 4, "not UTF-8"},
        {h + k + "junk\n", 3, "expected a [key]"},
        {"\xFE\xFF", 1, "big-endian"},
        {Utf16Le(h + k + "\"a\"=\"b\"\n", true) + std::string("\x00\xDC", 2), 4, "surrogate"},
        {Utf16Le(h, true) + "A", 2, "middle of a character"},
        {"REGEDIT4\n" + k + "\"a\"=hex(2):ff,ff,00\n", 3, "code page 936"},
    };
    for (const auto& c : cases) {
        try {
            RegFile::Parse(c.bytes, "/x/HKLM.reg");
            ADD_FAILURE() << "accepted: " << c.bytes;
        } catch (const RegistryError& e) {
            std::string expected = "/x/HKLM.reg:" + std::to_string(c.line) + ": ";
            std::string msg = e.what();
            EXPECT_EQ(msg.substr(0, expected.size()), expected) << msg;
            EXPECT_NE(msg.find(c.says), std::string::npos) << msg;
        }
    }
}

// A missing file is an empty registry (a machine never set up); one that exists but cannot be
// read is an error that names it.
TEST(RegFile, LoadReadsAFileTakesAMissingOneAsEmptyAndReportsOneItCannotRead) {
    EXPECT_FALSE(RegFile::Load("/nonexistent-kavel-dir/HKLM.reg").KeyExists("HKEY_LOCAL_MACHINE"));
    char dir[] = "/tmp/regfile-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    std::string path = std::string(dir) + "/HKLM.reg";
    std::ofstream(path, std::ios::binary) << Utf16Le(kSample, true);
    RegFile reg = RegFile::Load(path);
    EXPECT_EQ(reg.FindValue("HKEY_LOCAL_MACHINE\\SOFTWARE\\KorvenSoft\\Kavel", "USERNAME")->text,
              "240224042406");

    std::string sub = std::string(dir) + "/folder.reg";
    ASSERT_EQ(mkdir(sub.c_str(), 0700), 0);
    try {
        RegFile::Load(sub);
        ADD_FAILURE() << "a folder was read as a registry file";
    } catch (const RegistryError& e) {
        EXPECT_NE(std::string(e.what()).find(sub), std::string::npos) << e.what();
    }
    std::remove(path.c_str());
    rmdir(sub.c_str());
    rmdir(dir);
}
