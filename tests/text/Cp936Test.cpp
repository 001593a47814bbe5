#include <gtest/gtest.h>

#include "Cp936.h"
#include "Trim.h"

using namespace kavel;

TEST(Cp936, RoundTripsChineseAndAscii) {
    const std::string utf8 = "Kavel升级成功，请更新Kavel.exe";
    std::string gbk = Utf8ToCp936(utf8);
    EXPECT_EQ(gbk.substr(0, 7), "Kavel\xC9\xFD");  // 升 = C9 FD
    EXPECT_EQ(Cp936ToUtf8(gbk), utf8);
}

TEST(Cp936, TwoBytesPerChineseCharacter) {
    EXPECT_EQ(Utf8ToCp936("中文").size(), 4u);
    EXPECT_EQ(Utf8ToCp936("").size(), 0u);
}

TEST(Cp936, EuroSignIsTheSingleByte80) {
    // Code page 936 proper (not plain GBK) maps U+20AC to 0x80.
    EXPECT_EQ(Utf8ToCp936("€"), "\x80");
    EXPECT_EQ(Cp936ToUtf8("\x80"), "€");
}

TEST(Cp936, UnmappableCharacterIsAnErrorNotALoss) {
    EXPECT_THROW(Utf8ToCp936("a\xF0\x9F\x98\x80"), TextCodecError);  // emoji
    EXPECT_EQ(Utf8ToCp936Lossy("a\xF0\x9F\x98\x80"
                               "b"),
              "a?b");
}

TEST(Cp936, MalformedInputIsAnError) {
    EXPECT_THROW(Utf8ToCp936("\xC3"), TextCodecError);          // truncated sequence
    EXPECT_THROW(Utf8ToCp936("\xED\xA0\x80"), TextCodecError);  // UTF-16 surrogate
    EXPECT_THROW(Cp936ToUtf8("\xD6"), TextCodecError);          // lead byte without trail
    EXPECT_THROW(Cp936ToUtf8("\xFF\xFF"), TextCodecError);
    EXPECT_EQ(Cp936ToUtf8Lossy("a\xFF"
                               "b"),
              "a\xEF\xBF\xBD"
              "b");
}

TEST(Cp936, KeepingBytesMapsEachStrayByteToItsOwnCharacter) {
    const struct {
        std::string bytes;
        std::string utf8;
    } cases[] = {
        {"sa", "sa"},
        {"\xFF", "\uF7FF"},
        {"\xD6\xD0\xFF"
         "a\x80",
         "中\uF7FF"
         "a€"},                   // valid text around a stray byte is decoded
        {"\xD6", "\uF7D6"},       // lead byte at the end
        {"\x81\x20", "\uF781 "},  // lead byte with no trail byte after it
        {"\xFF\xFE", "\uF7FF\uF7FE"},
    };
    for (const auto& c : cases) EXPECT_EQ(Cp936ToUtf8KeepingBytes(c.bytes), c.utf8) << c.utf8;
}

// The user-defined areas of code page 936 hold no characters of ours: Windows maps them to the
// private use area, iconv refuses them; both builds must refuse them alike, and keep a
// credential's bytes in them as stray bytes.
TEST(Cp936, UserDefinedAreasAreNotText) {
    const struct {
        std::string bytes;
        std::string kept;
    } cases[] = {
        {"\xAA\xA1", "\uF7AA\uF7A1"},  // AAA1-AFFE
        {"\xF8\xA1", "\uF7F8\uF7A1"},  // F8A1-FEFE
        {"\xA1\x40", "\uF7A1@"},       // A140-A7A0: the trail byte is ASCII on its own
        {"\xFE\x50", "\uF7FEP"},       // an unassigned slot
    };
    for (const auto& c : cases) {
        EXPECT_THROW(Cp936ToUtf8(c.bytes), TextCodecError) << c.kept;
        EXPECT_THROW(Cp936ToUtf8("\xD6\xD0" + c.bytes), TextCodecError) << c.kept;
        EXPECT_EQ(Cp936ToUtf8KeepingBytes(c.bytes), c.kept);
    }
    EXPECT_THROW(Utf8ToCp936("\uE000"), TextCodecError);  // what Windows decodes AAA1 to
    EXPECT_THROW(Utf8ToCp936("a\uF8FF"), TextCodecError);
    EXPECT_EQ(Utf8ToCp936Lossy("a\uE000b"), "a?b");
}

TEST(Trim, DropsBytesUpTo32OnBothEnds) {
    struct Case {
        std::string in, out;
    } cases[] = {
        {"", ""},
        {" \t\r\n", ""},
        {"  abc ", "abc"},
        {std::string("\0\x01x y\x1F ", 7), "x y"},
        {"\xD6\xD0 ", "\xD6\xD0"},  // bytes above 127 are kept
        {"a", "a"},
    };
    for (const auto& c : cases) EXPECT_EQ(Trim(c.in), c.out) << c.in;
}
