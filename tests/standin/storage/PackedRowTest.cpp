// Stored rows are packed into bytes and read back on every access: a value that does not come
// back exactly as it went in would change data silently. The extremes below are the ones the
// packing treats specially (sign folding, 64-bit versus 128-bit decimals, runs of blanks).
#include <gtest/gtest.h>

#include <limits>

#include "storage/PackedRow.h"

namespace standin {
namespace {

bool Same(const Value& a, const Value& b) {
    if (a.index() != b.index()) return false;
    if (const auto* d = std::get_if<Decimal>(&a)) {
        const Decimal& e = std::get<Decimal>(b);
        return Int128(d->unscaled) == Int128(e.unscaled) && d->precision == e.precision &&
               d->scale == e.scale;
    }
    if (const auto* t = std::get_if<DateTime>(&a))
        return t->days == std::get<DateTime>(b).days && t->ticks == std::get<DateTime>(b).ticks;
    if (const auto* i = std::get_if<std::int64_t>(&a)) return *i == std::get<std::int64_t>(b);
    if (const auto* s = std::get_if<std::string>(&a)) return *s == std::get<std::string>(b);
    return true;  // both NULL
}

Row EveryKindOfValue() {
    const Int128 big = Int128(99999999999999999LL) * 1000000000000000000LL + 999999999999999999LL;
    return Row{
        Value{},
        std::int64_t{0},
        std::int64_t{-1},
        std::numeric_limits<std::int64_t>::min(),
        std::numeric_limits<std::int64_t>::max(),
        Decimal{-12345, 7, 2},
        Decimal{Int128(std::numeric_limits<std::int64_t>::min()) - 1, 38, 0},
        Decimal{big, 38, 4},
        Decimal{-big, 38, 38},
        DateTime{-53690, 0},
        DateTime{2958463, 25919999},
        std::string(),
        std::string("   "),
        std::string("ab "),
        std::string("ab  "),
        std::string("ab   "),
        std::string(" \xD6\xD0\xB9\xFA") + std::string(120, ' '),
        std::string("a\0b  \0", 6),
        std::string(300, 'x'),
    };
}

TEST(PackedRow, EveryValueComesBackAsItWentIn) {
    const Row row = EveryKindOfValue();
    std::string bytes;
    EncodeRow(row, bytes);
    Row back;
    DecodeRow(bytes, back);
    ASSERT_EQ(back.size(), row.size());
    for (std::size_t k = 0; k < row.size(); ++k) {
        EXPECT_TRUE(Same(back[k], row[k])) << "value " << k;
        EXPECT_TRUE(Same(DecodeCell(bytes, k), row[k])) << "cell " << k;
    }
    // Text padded with blanks keeps only a count of them.
    std::size_t textBytes = 0;
    for (const Value& v : row)
        if (const auto* s = std::get_if<std::string>(&v)) textBytes += s->size();
    EXPECT_LT(bytes.size(), textBytes);
}

TEST(PackedRow, ReadingIntoARowThatHeldOtherValuesLeavesNoneOfThem) {
    const Row row = EveryKindOfValue();
    Row reversed(row.rbegin(), row.rend());
    reversed.push_back(std::string(50, 'z'));
    std::string bytes;
    EncodeRow(row, bytes);
    DecodeRow(bytes, reversed);  // wider, and every position held another kind of value
    ASSERT_EQ(reversed.size(), row.size());
    for (std::size_t k = 0; k < row.size(); ++k) EXPECT_TRUE(Same(reversed[k], row[k])) << k;
}

TEST(PackedRow, ReadingSomeColumnsLeavesTheOthersNullAndDroppingOneKeepsTheRest) {
    const Row row = EveryKindOfValue();
    std::string bytes;
    EncodeRow(row, bytes);
    std::vector<char> wanted(row.size(), 0);
    wanted[1] = wanted[7] = wanted[16] = 1;
    Row some(row.rbegin(), row.rend());  // every position holds some other value first
    DecodeColumns(bytes, wanted, some);
    ASSERT_EQ(some.size(), row.size());
    for (std::size_t k = 0; k < row.size(); ++k)
        EXPECT_TRUE(Same(some[k], wanted[k] ? row[k] : Value{})) << k;

    for (const std::size_t dropped : {std::size_t{0}, std::size_t{9}, row.size() - 1}) {
        std::string without;
        DropCell(bytes, dropped, without);
        Row expected = row;
        expected.erase(expected.begin() + static_cast<std::ptrdiff_t>(dropped));
        Row back;
        DecodeRow(without, back);
        ASSERT_EQ(back.size(), expected.size()) << dropped;
        for (std::size_t k = 0; k < expected.size(); ++k)
            EXPECT_TRUE(Same(back[k], expected[k])) << dropped << ": " << k;
    }
}

TEST(PackedRow, ReplacingCellsChangesThoseColumnsAndHandsBackTheirValues) {
    const Row row = EveryKindOfValue();
    std::string bytes;
    EncodeRow(row, bytes);
    const std::vector<int> columns{static_cast<int>(row.size()) - 1, 0, 7};
    std::vector<Value> values{std::string(40, ' '), std::int64_t{-5}, Value{}};
    const std::vector<Value> given = values;
    std::string replaced;
    ReplaceCells(bytes, columns, values, replaced);
    Row expected = row;
    for (std::size_t k = 0; k < columns.size(); ++k) {
        EXPECT_TRUE(Same(values[k], row[static_cast<std::size_t>(columns[k])])) << k;
        expected[static_cast<std::size_t>(columns[k])] = given[k];
    }
    Row back;
    DecodeRow(replaced, back);
    ASSERT_EQ(back.size(), expected.size());
    for (std::size_t k = 0; k < expected.size(); ++k) EXPECT_TRUE(Same(back[k], expected[k])) << k;
}

TEST(PackedRow, AssignKeepsExactlyTheBytesGiven) {
    PackedRow packed(std::string_view("abcdef"));
    packed.Assign("xyz123");  // same size: written over
    EXPECT_EQ(packed.Bytes(), "xyz123");
    packed.Assign("longer bytes");
    EXPECT_EQ(packed.Bytes(), "longer bytes");
    PackedRow moved(std::move(packed));
    EXPECT_EQ(moved.Bytes(), "longer bytes");
    EXPECT_TRUE(packed.Bytes().empty());  // NOLINT: a moved-from row is empty, not dangling
    moved.Assign("");
    EXPECT_TRUE(moved.Bytes().empty());
}

}  // namespace
}  // namespace standin
