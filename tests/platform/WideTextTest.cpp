// The ODBC layer's UTF-8 <-> UTF-16 boundary: exact for well-formed text, one U+FFFD per bad
// byte of malformed UTF-8, '?' for an unpaired surrogate coming back from the driver.
#include <gtest/gtest.h>

#include "WideText.h"

using namespace kavel;

namespace {

std::u16string Units(const WideString& w) { return std::u16string(w.begin(), w.end()); }
WideString Wide(const std::u16string& u) { return WideString(u.begin(), u.end()); }

}  // namespace

// Well-formed text converts alike both ways; what is malformed on one side is replaced.
TEST(WideText, ConvertsBothWaysAndReplacesWhatIsMalformed) {
    enum Way { Both, ToWideOnly, FromWideOnly };
    const struct {
        std::string utf8;
        std::u16string wide;
        Way way;
    } cases[] = {
        {"Ab", u"Ab", Both},
        {std::string("a\0b", 3), std::u16string(u"a\0b", 3),
         Both},  // NUL is a character like any other
        {"\xE4\xB8\xAD", u"\u4E2D", Both},
        {"\xF0\x9F\x98\x80", u"\U0001F600", Both},                      // a surrogate pair
        {"a\x80-", u"a\uFFFD-", ToWideOnly},                            // lone continuation byte
        {"a\xE4\xB8", u"a\uFFFD\uFFFD", ToWideOnly},                    // cut off at the end
        {"\xF0\x9F\x98-", u"\uFFFD\uFFFD\uFFFD-", ToWideOnly},          // cut off before more text
        {"\xC0\xAF", u"\uFFFD\uFFFD", ToWideOnly},                      // overlong
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD", ToWideOnly},            // encoded surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD", ToWideOnly},  // above U+10FFFF
        {"a?b", std::u16string{u'a', 0xD83D, u'b'},
         FromWideOnly},                                      // high surrogate without its low half
        {"a?", std::u16string{u'a', 0xDE00}, FromWideOnly},  // low surrogate alone
        {"?", std::u16string{0xD83D}, FromWideOnly},         // text ends inside a pair
    };
    for (const auto& c : cases) {
        const std::string shown = testing::PrintToString(c.utf8);
        EXPECT_TRUE(c.way == FromWideOnly || Units(ToWide(c.utf8)) == c.wide) << shown;
        EXPECT_TRUE(c.way == ToWideOnly || FromWide(Wide(c.wide)) == c.utf8) << shown;
    }
}
