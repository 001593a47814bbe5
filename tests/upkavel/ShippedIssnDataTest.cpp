// The issn.dat shipped beside the program: made from issnok.txt by the line codec, so the two
// committed files must agree; and it holds the codes the baseline step copies into the sample
// databases' catalogue and subscriptions.

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "IssnLine.h"

namespace kavel {
namespace {

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << path;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::vector<std::string> CrLfLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(bytes.substr(start, end - start));
    EXPECT_EQ(start, bytes.size()) << "text after the last CR LF";
    return lines;
}

// True when the ISSN's check digit is right (weights 8 to 2, modulus 11, X for 10).
bool IssnCheckDigitHolds(const std::string& issn) {
    if (issn.size() != 9 || issn[4] != '-') return false;
    const std::string digits = issn.substr(0, 4) + issn.substr(5, 3);
    int sum = 0;
    for (std::size_t i = 0; i < 7; ++i) sum += (digits[i] - '0') * static_cast<int>(8 - i);
    const int check = (11 - sum % 11) % 11;
    return issn[8] == (check == 10 ? 'X' : static_cast<char>('0' + check));
}

TEST(ShippedIssnData, IssnDatIsTheSourceListThroughTheLineCodec) {
    const auto source = CrLfLines(ReadBytes(KAVEL_DATA_DIR "/issnok.txt"));
    const auto shipped = CrLfLines(ReadBytes(KAVEL_DATA_DIR "/issn.dat"));
    std::vector<std::string> expected;
    for (const auto& line : source)
        if (const auto record = IssnRecordFromSourceLine(line))
            expected.push_back(EncodeIssnLine(*record));
    EXPECT_GE(expected.size(), 300u);
    EXPECT_EQ(shipped, expected);
}

TEST(ShippedIssnData, HoldsTheSampleCodesWithValidNumbersAndNoQuotes) {
    std::set<std::string> codes;
    for (const auto& line : CrLfLines(ReadBytes(KAVEL_DATA_DIR "/issn.dat"))) {
        ASSERT_EQ(line.find('\''), std::string::npos) << line;
        const auto record = ReadIssnDatLine(line);
        ASSERT_TRUE(record.has_value());
        EXPECT_TRUE(codes.insert(record->code).second) << "twice: " << record->code;
        if (!record->issn.empty()) {
            EXPECT_TRUE(IssnCheckDigitHolds(record->issn)) << record->issn;
        }
        EXPECT_LE(record->cn.size(), 12u);
    }
    for (int n = 1; n <= 19; ++n) {
        const std::string code = "1-0" + std::string(n < 10 ? "0" : "") + std::to_string(n);
        EXPECT_EQ(codes.count(code), 1u) << code;
    }
    for (const char* code : {"2-101", "2-102", "2-103", "2-104"})
        EXPECT_EQ(codes.count(code), 1u) << code;
}

}  // namespace
}  // namespace kavel
