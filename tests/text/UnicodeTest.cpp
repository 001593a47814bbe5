#include <gtest/gtest.h>

#include "Unicode.h"

using namespace kavel;

TEST(Unicode, Utf8SequenceBoundaries) {
    struct Case {
        std::string bytes;
        std::size_t length;  // 0: not well-formed
    } cases[] = {
        {"", 0},
        {"a", 1},
        {"\xC2\x80", 2},          // U+0080, smallest two-byte form
        {"\xC1\xBF", 0},          // overlong
        {"\xE0\x9F\xBF", 0},      // overlong three-byte form
        {"\xE4\xB8\xAD", 3},      // 中
        {"\xED\x9F\xBF", 3},      // U+D7FF, last before the surrogates
        {"\xED\xA0\x80", 0},      // encoded surrogate
        {"\xF0\x9F\x98\x80", 4},  // U+1F600
        {"\xF4\x8F\xBF\xBF", 4},  // U+10FFFF
        {"\xF4\x90\x80\x80", 0},  // above U+10FFFF
        {"\xE4\xB8", 0},          // cut off
        {"\x80", 0},              // lone continuation byte
    };
    for (const auto& c : cases)
        EXPECT_EQ(Utf8SequenceAt(c.bytes), c.length) << testing::PrintToString(c.bytes);
}

TEST(Unicode, DecodingMovesPastMalformedBytesOneAtATime) {
    const std::string s = "a\xE4\xB8\x80\xFF\xF0\x9F\x98\x80";
    EXPECT_EQ(FindInvalidUtf8(s), 4u);
    std::size_t i = 0;
    std::u32string decoded;
    while (i < s.size()) decoded += NextUtf8CodePoint(s, i);
    EXPECT_EQ(decoded, U"a\u4E00\uFFFD\U0001F600");
}

TEST(Unicode, Utf16LeToUtf8StopsAtAnUnpairedSurrogate) {
    std::string out;
    EXPECT_EQ(AppendUtf16LeAsUtf8(std::string("A\0-\x4E\x3D\xD8\x00\xDE", 8), out),
              std::string_view::npos);
    EXPECT_EQ(out, "A\xE4\xB8\xAD\xF0\x9F\x98\x80");  // A 中 U+1F600
    out.clear();
    EXPECT_EQ(AppendUtf16LeAsUtf8(std::string("A\0\x00\xDC", 4), out), 1u);  // lone low surrogate
    EXPECT_EQ(out, "A");
    out.clear();
    EXPECT_EQ(AppendUtf16LeAsUtf8(std::string("\x3D\xD8", 2), out), 0u);  // text ends inside a pair
}
