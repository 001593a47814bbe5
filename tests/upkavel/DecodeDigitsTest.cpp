#include <gtest/gtest.h>

#include <random>

#include "unTools.h"

using namespace kavel;

TEST(DecodeDigits, DecodesFourDigitsPerCharacter) {
    struct Case {
        std::string in, out;
    } cases[] = {
        {"240224042406", "abc"},
        {"351335153517", "abc"},  // odd digits count as the even digit below
        {"", ""},
        {"9999", "T"},  // 8 and 9 count as 4 and carry: 340 mod 256 = 84
        {"0080", "\x10"},
        {"0008", "\x04"},
        {"1111", std::string(1, '\0')},
        {"7777", "\xFF"},
        {"240", ""},     // length not a multiple of four
        {"240224", ""},  // six digits: empty, silently
        {"24x", ""},     // the length test comes before any digit test
    };
    for (const auto& c : cases) EXPECT_EQ(DecodeDigits(c.in), c.out) << c.in;
}

TEST(DecodeDigits, EveryByteValueSurvivesAnyChoiceOfDigitPair) {
    std::mt19937 random(936);
    for (int b = 0; b < 256; ++b) {
        std::string code;
        for (int shift = 6; shift >= 0; shift -= 2)
            code +=
                static_cast<char>('0' + ((b >> shift) & 3) * 2 + static_cast<int>(random() % 2));
        EXPECT_EQ(DecodeDigits(code), std::string(1, static_cast<char>(b))) << code;
    }
}

TEST(DecodeDigits, NonDigitIsAConversionErrorThatKeepsTheSecret) {
    for (const char* bad : {"2402 404", "24022404240x", "240:", "/240", "２４０２"}) {
        try {
            DecodeDigits(bad);
            ADD_FAILURE() << "accepted " << bad;
        } catch (const EConvertError& e) {
            std::string msg = e.what();
            EXPECT_NE(msg.find("not a decimal digit"), std::string::npos) << msg;
            EXPECT_EQ(msg.find("2402"), std::string::npos)
                << "the message shows the secret: " << msg;
        }
    }
    try {
        DecodeDigits("24022404240x");
    } catch (const EConvertError& e) {
        EXPECT_NE(std::string(e.what()).find("character 12 of 12"), std::string::npos) << e.what();
    }
}
