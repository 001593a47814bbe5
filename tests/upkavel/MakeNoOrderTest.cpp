#include <gtest/gtest.h>

#include <random>

#include "Cp936.h"
#include "MakeNoOrder.h"
#include "Trim.h"

using namespace kavel;

TEST(MakeNoOrder, KeysOfCallNumbers) {
    struct Case {
        std::string in, key;
    } cases[] = {
        {"2005-3/4", "2005!3 00000000004"},
        {"TP312.8/15", "TP312/8 0000000015"},
        {"I247.5/123:2", "I247/5 00000000123-02"},
        {"TP3/15=1", "TP3 00000000000015&01"},
        {"TP3/15:12", "TP3 00000000000015-12"},
        {"A/1:23=4", "A 0000000000000001-23&4"},
        {"G4/5a:3", "G4 000000000000005/-03"},
        {"A/12/3", "A 0000000000000012/3"},
        {"K(2)=3", "K#2#&3"},
        {"A/B", "A B"},
        {"/12", "00000000000000012"},
        {"abc/7", "/// 00000000000007"},
        {"  H31 / 2 ", "H31/ /2"},
        {"ABCDEFGHIJKLMNOP/123", "ABCDEFGHIJKLMNOP 123"},
        {"", ""},
        // derived
        {"   ", ""},
        {"/", ""},
        {"TP3'1/2", "TP3$1 000000000002"},  // a single quote ends up as a double quote does
        {"TP3\"1/2", "TP3$1 000000000002"},
        {"'", "$"},
        {"<A>+B", "*A*+B"},
        {":5", "-5"},                             // no '/': the suffix rule is for the tail only
        {"A/x=5", "A /&05"},                      // suffix rule without a leading number
        {"A/1=2:34", "A 0000000000000001&2-34"},  // ':' not last but one: no zero
        {"A/1:", "A 0000000000000001-"},
        {"A\tB/1", "A/B 00000000000001"},
        {"A/12345678901234567890", "A 12345678901234567890"},
        {"ABCDEFGHIJKLMNOPQ/1", "ABCDEFGHIJKLMNOPQ 1"},  // exactly 18 before zeros: none added
        {"ABCDEFGHIJKLMNOP/1", "ABCDEFGHIJKLMNOP 1"},    // 17 + 1 = 18
        {"ABCDEFGHIJKLMNO/1", "ABCDEFGHIJKLMNO 01"},
        {"A/1:5x", "A 0000000000000001-5/"},
    };
    for (const auto& c : cases) EXPECT_EQ(MakeNoOrder(c.in), c.key) << "call number: " << c.in;
}

TEST(MakeNoOrder, DoubleByteCharactersCountAsTwoBytes) {
    struct Case {
        const char* utf8;
        std::string key;
    } cases[] = {
        {"中文/12", "//// 0000000000012"},  // D6 D0 CE C4: four bytes, each '/'
        {"丄/1", "/A 000000000000001"},     // 81 41: the trail byte 'A' stays
        {"TP3期刊/2:5", "TP3//// 0000000002-05"},
        {"期刊期刊期刊期刊期刊期刊期刊/9",
         "//////////////////////////"},  // 28 bytes of head: cut to 26
    };
    for (const auto& c : cases) EXPECT_EQ(MakeNoOrder(Utf8ToCp936(c.utf8)), c.key) << c.utf8;
}

TEST(MakeNoOrder, LongHeadsAreCutTo26Bytes) {
    const std::string head26 = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    EXPECT_EQ(MakeNoOrder(head26 + "/5"), head26);
    EXPECT_EQ(MakeNoOrder(head26 + "ABCD/5"), head26);
    EXPECT_EQ(MakeNoOrder(head26 + "ABCD"), head26);
    // 25 capitals, the joining space, then the number: the cut keeps the space, which the stored
    // column loses when the caller trims.
    const std::string head25 = head26.substr(0, 25);
    EXPECT_EQ(MakeNoOrder(head25 + "/1"), head25 + " ");
    EXPECT_EQ(Trim(MakeNoOrder(head25 + "/1")), head25);
}

TEST(MakeNoOrder, KeysOfOneHeadSortByTheirNumber) {
    const char* ordered[] = {"TP3/",   "TP3/-1",   "TP3/1",    "TP3/2",     "TP3/9",   "TP3/10",
                             "TP3/15", "TP3/15:1", "TP3/15:2", "TP3/15:10", "TP3/123", "TP3/1000"};
    for (std::size_t i = 1; i < std::size(ordered); ++i)
        EXPECT_LT(MakeNoOrder(ordered[i - 1]), MakeNoOrder(ordered[i]))
            << ordered[i - 1] << " / " << ordered[i];
}

TEST(MakeNoOrder, AnyByteStringGivesAWellFormedKey) {
    std::mt19937 random(3);
    const std::string alphabet = "AZ09az/:=-()\"'<>+. \t\x81\xD6\xFE\x40\x7F\xFF";
    for (int n = 0; n < 5000; ++n) {
        std::string in;
        for (std::size_t len = random() % 40; len > 0; --len)
            in += random() % 4 == 0 ? static_cast<char>(random() % 256)
                                    : alphabet[random() % alphabet.size()];
        std::string key = MakeNoOrder(in);
        ASSERT_LE(key.size(), 26u) << in;
        EXPECT_LE(std::count(key.begin(), key.end(), ' '), 1) << in;
        for (char c : key)
            ASSERT_TRUE((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                        std::string_view(" !#$&*+-/").find(c) != std::string_view::npos)
                << "byte " << int(static_cast<unsigned char>(c)) << " in the key of " << in;
    }
}

TEST(MakeNoOrder, TextOfTheProgramIsKeyedByItsCodePage936Bytes) {
    struct Case {
        std::string utf8, key;
    } cases[] = {
        {"TP312.8/15", "TP312/8 0000000015"},
        {"中文/12", "//// 0000000000012"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXY/1", "ABCDEFGHIJKLMNOPQRSTUVWXY"},  // trailing blank of the cut
        // No code page 936 form (a replacement character, an emoji): one byte each, so '/'.
        {"A\xEF\xBF\xBD/5", "A/ 000000000000005"},
        {"\xF0\x9F\x98\x80"
         "B/5",
         "/B 000000000000005"},
        // Not UTF-8 at all: each bad byte counts as one.
        {"A\xFF\xFE/5", "A// 00000000000005"},
        {"A\xC3/1", "A/ 000000000000001"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(NoOrderOfText(c.utf8), c.key) << c.utf8;
}
