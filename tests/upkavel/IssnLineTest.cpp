#include <gtest/gtest.h>

#include "Cp936.h"
#include "IssnLine.h"
#include "Trim.h"

using namespace kavel;

TEST(IssnLine, SubstitutesDigitsAfterTheFirstByteByTheShiftedKey) {
    struct Case {
        std::string plain, stored;
    } cases[] = {
        {"A0123456789", "A3860152947"},  // offset 0: digit d -> key[d]
        {"31234567-X", "31529473-X"},    // offset 3: d -> key[(d + 3) mod 10]
        {"90000", "97777"},              // offset 9: 0 -> key[9]
        {"0", "0"},
        {"", ""},
        {"B-/ x", "B-/ x"},  // nothing but the digits changes
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EncodeIssnLine(c.plain), c.stored) << c.plain;
        EXPECT_EQ(DecodeIssnLine(c.stored), c.plain) << c.stored;
    }
}

TEST(IssnLine, EveryOffsetIsAPermutationUndoneByTheDecoding) {
    for (char first : std::string("0123456789AZ \xD6")) {
        std::string plain = std::string(1, first) + "0123456789";
        std::string stored = EncodeIssnLine(plain);
        ASSERT_EQ(stored.size(), plain.size());
        EXPECT_EQ(stored[0], first);
        std::string digits = stored.substr(1);
        std::sort(digits.begin(), digits.end());
        EXPECT_EQ(digits, "0123456789") << "offset " << first;
        EXPECT_EQ(DecodeIssnLine(stored), plain) << "offset " << first;
    }
}

TEST(IssnLine, CutsFieldsByByteColumnsAndTrimsThem) {
    struct Case {
        std::string line, code, issn, cn;
    } cases[] = {
        {"1001       1234-5678 11-1234/G2 ", "1001", "1234-5678", "11-1234/G2"},
        {"8-123      0001-0002 CN12345678901", "8-123", "0001-0002", "CN1234567890"},  // cut at 33
        {"ABC", "ABC", "", ""},
        {"ABCDEFGHIJK1234", "ABCDEFGHIJ", "1234", ""},
        {"ABCDEFGHIJ 1234-5678", "ABCDEFGHIJ", "1234-5678", ""},
        {"", "", "", ""},
    };
    for (const auto& c : cases) {
        IssnRecord r = CutIssnRecord(c.line);
        EXPECT_EQ(r.code, c.code) << c.line;
        EXPECT_EQ(r.issn, c.issn) << c.line;
        EXPECT_EQ(r.cn, c.cn) << c.line;
    }
}

TEST(IssnLine, LinesShorterThanTwoBytesCarryNoRecord) {
    EXPECT_FALSE(ReadIssnDatLine("").has_value());
    EXPECT_FALSE(ReadIssnDatLine("7").has_value());
    auto r = ReadIssnDatLine("7" + std::string("9"));  // 9 at offset 7 decodes to (7-7) = 0
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->code, "70");
}

TEST(IssnLine, SourceListLinesBecomeRecords) {
    struct Case {
        std::string line;
        std::optional<std::string> record;
    } cases[] = {
        {"1001      1234-5678    11-1234/G2", "1001       1234-5678 11-1234/G2"},
        {"1001      1234-5678 ", "1001       1234-5678 "},  // 20 bytes: CN empty
        {"1001      1234-5678", std::nullopt},              // 19 bytes: skipped
        {"", std::nullopt},
        {"1001      1234-5678 xx", "1001       1234-5678 "},  // columns 20-23 are not used
        {"1001      1234-5678    123456789012345", "1001       1234-5678 123456789012"},
        // 中 (D6 D0) in columns 34-35 fits; in columns 35-36 it would be cut in half.
        {"1001      1234-5678    1234567890\xD6\xD0", "1001       1234-5678 1234567890\xD6\xD0"},
        {"1001      1234-5678    12345678901\xD6\xD0", "1001       1234-5678 12345678901"},
    };
    for (const auto& c : cases) EXPECT_EQ(IssnRecordFromSourceLine(c.line), c.record) << c.line;
}

TEST(IssnLine, TableRowsBecomeRecordsOf33Bytes) {
    EXPECT_EQ(IssnRecordFromRow(" 1001 ", "1234-5678", "11-1234/G2"),
              "1001       1234-5678 11-1234/G2  ");
    EXPECT_EQ(IssnRecordFromRow("", "", ""), std::string(33, ' '));
    EXPECT_EQ(IssnRecordFromRow("ABCDEFGHIJ", "1234-5678X", "1234567890123"),
              "ABCDEFGHIJ 1234-5678 123456789012");
    // A cut never leaves half of a double-byte character in the file.
    std::string code = Utf8ToCp936("ABCDEFGHI中");
    std::string record = IssnRecordFromRow(code, "1234-5678", "");
    EXPECT_EQ(record.substr(0, 10), "ABCDEFGHI ");
    EXPECT_EQ(record.size(), 33u);
    EXPECT_EQ(IssnRecordFromRow(Utf8ToCp936("期刊A"), "", "").substr(0, 10),
              Utf8ToCp936("期刊A") + "     ");
}

// What the tools write, the import reads back: the same code, ISSN and CN, trimmed.
TEST(IssnLine, BothToolsOutputRoundTripsThroughTheImport) {
    const std::string sourceLines[] = {
        "1001      1234-5678    11-1234/G2",
        "8-123     0001-0002    CN1234567890",  // CN of twelve characters
        "Z99       9999-999X ",                 // exactly 20 bytes
        "0000000000000000000000000000000000",
        Utf8ToCp936("期刊01    1234-5678    11-1234/中"),
        " 55  1    0 0-0000     5  ",
    };
    for (const std::string& line : sourceLines) {
        auto record = IssnRecordFromSourceLine(line);
        ASSERT_TRUE(record.has_value()) << line;
        auto back = ReadIssnDatLine(EncodeIssnLine(*record));
        ASSERT_TRUE(back.has_value()) << line;
        EXPECT_EQ(back->code, Trim(line.substr(0, 10))) << line;
        EXPECT_EQ(back->issn, Trim(line.substr(10, 9))) << line;
        EXPECT_EQ(back->cn, line.size() > 23 ? Trim(line.substr(23, 12)) : "") << line;
    }
    const IssnRecord rows[] = {
        {"1001", "1234-5678", "11-1234/G2"},
        {"9", "0000-0000", "123456789012"},
        {Utf8ToCp936("中文期刊"), "1234-567X", Utf8ToCp936("11-12/中")},
        {"", "", ""},
        {"1", "", "5"},
    };
    for (const IssnRecord& row : rows) {
        std::string stored = EncodeIssnLine(IssnRecordFromRow(row.code, row.issn, row.cn));
        ASSERT_EQ(stored.size(), 33u);
        auto back = ReadIssnDatLine(stored);
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(back->code, row.code);
        EXPECT_EQ(back->issn, row.issn);
        EXPECT_EQ(back->cn, row.cn);
    }
}
