// The ODBC layer's UTF-8 <-> UTF-16 boundary: exact for well-formed text, one U+FFFD per bad
// byte of malformed UTF-8, '?' for an unpaired surrogate coming back from the driver.
#include <gtest/gtest.h>

#include "WideText.h"

using namespace kavel;

namespace {

std::u16string Units(const WideString& w) { return std::u16string(w.begin(), w.end()); }
WideString Wide(const std::u16string& u) { return WideString(u.begin(), u.end()); }

}  // namespace

TEST(WideText, Utf8ToWide) {
    const struct {
        std::string utf8;
        std::u16string wide;
    } cases[] = {
        {"Ab", u"Ab"},
        {std::string("a\0b", 3), std::u16string(u"a\0b", 3)},  // NUL is a character like any other
        {"\xE4\xB8\xAD", u"\u4E2D"},
        {"\xF0\x9F\x98\x80", u"\U0001F600"},                // a surrogate pair
        {"a\x80-", u"a\uFFFD-"},                            // lone continuation byte
        {"a\xE4\xB8", u"a\uFFFD\uFFFD"},                    // cut off at the end
        {"\xF0\x9F\x98-", u"\uFFFD\uFFFD\uFFFD-"},          // cut off before more text
        {"\xC0\xAF", u"\uFFFD\uFFFD"},                      // overlong
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},            // encoded surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // above U+10FFFF
    };
    for (const auto& c : cases)
        EXPECT_EQ(Units(ToWide(c.utf8)), c.wide) << testing::PrintToString(c.utf8);
}

TEST(WideText, WideToUtf8) {
    const struct {
        std::u16string wide;
        std::string utf8;
    } cases[] = {
        {u"Ab", "Ab"},
        {std::u16string(u"a\0b", 3), std::string("a\0b", 3)},
        {u"\u4E2D", "\xE4\xB8\xAD"},
        {u"\U0001F600", "\xF0\x9F\x98\x80"},
        {std::u16string{u'a', 0xD83D, u'b'}, "a?b"},  // high surrogate without its low half
        {std::u16string{u'a', 0xDE00}, "a?"},         // low surrogate alone
        {std::u16string{0xD83D}, "?"},                // text ends inside a pair
    };
    for (const auto& c : cases) EXPECT_EQ(FromWide(Wide(c.wide)), c.utf8);
}

TEST(WideText, RoundTripOfWellFormedText) {
    const std::string text = "\xE6\x9C\x9F\xE5\x88\x8A 'x' \xF0\x9F\x98\x80";
    EXPECT_EQ(FromWide(ToWide(text)), text);
}
