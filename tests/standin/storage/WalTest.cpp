#include <gtest/gtest.h>

#include <random>
#include <stdexcept>

#include "TestSupport.h"
#include "storage/Crc32c.h"
#include "storage/Wal.h"

namespace standin {
namespace {

using testing::ErrorText;

LoggedBatch Batch(std::string text, std::int32_t days = 40000, std::uint32_t ticks = 123,
                  bool ansi = true) {
    return LoggedBatch{AppliedStatement{std::move(text), DateTime{days, ticks}, ansi}};
}

std::string Log(const std::vector<LoggedBatch>& batches, std::uint64_t generation = 7) {
    std::string bytes = EncodeWalHeader(generation);
    for (const LoggedBatch& b : batches) AppendWalRecord(bytes, b);
    return bytes;
}

// Every field of every statement, with the number of its batch.
std::vector<std::string> Fields(const std::vector<LoggedBatch>& batches) {
    std::vector<std::string> out;
    for (std::size_t b = 0; b < batches.size(); ++b)
        for (const AppliedStatement& s : batches[b])
            out.push_back(std::to_string(b) + "|" + s.text + "|" + std::to_string(s.now.days) +
                          "|" + std::to_string(s.now.ticks) +
                          (s.ansiNullDefaultOn ? "|on" : "|off"));
    return out;
}

TEST(Wal, RoundTripKeepsEveryField) {
    LoggedBatch two{
        AppliedStatement{"update t set c='\xD6\xD0' where id=1\r\n", DateTime{-53690, 0}, false},
        AppliedStatement{std::string("x\0y", 3), DateTime{2958463, 25919999}, true}};
    const std::vector<LoggedBatch> written{Batch("create table t (id int)"), two, LoggedBatch{}};
    const std::string bytes = Log(written);
    const WalScan scan = ScanWal(bytes, "log.wal");
    EXPECT_EQ(scan.generation, 7u);
    EXPECT_EQ(scan.validEnd, bytes.size());
    EXPECT_EQ(scan.droppedTail, 0u);
    EXPECT_EQ(scan.batches.size(), 3u);  // the empty one too
    EXPECT_EQ(Fields(scan.batches), Fields(written));
}

// A crash while appending leaves a prefix of the last record: at every cut point the earlier
// records survive and the partial one is dropped, never decoded.
TEST(Wal, TornLastRecordIsDroppedAtEveryCutPoint) {
    const std::string whole =
        Log({Batch("insert into t values (1)"), Batch("insert into t values (2)")});
    const std::size_t lastStart = Log({Batch("insert into t values (1)")}).size();
    for (std::size_t cut = lastStart; cut < whole.size(); ++cut) {
        const WalScan scan = ScanWal(std::string_view(whole).substr(0, cut), "log.wal");
        EXPECT_EQ(Fields(scan.batches), Fields({Batch("insert into t values (1)")}))
            << "cut at " << cut;
        EXPECT_EQ(scan.validEnd, lastStart);
        EXPECT_EQ(scan.droppedTail, cut - lastStart);
    }
}

// After a machine crash the end of a file may read as zeros: a record that is zeros, or a damaged
// last record followed only by zeros, is a torn write.
TEST(Wal, ZeroFilledTailIsTornWrite) {
    const std::string one = Log({Batch("a")});
    EXPECT_EQ(Fields(ScanWal(one + std::string(4096, '\0'), "l").batches), Fields({Batch("a")}));

    std::string damagedLast = Log({Batch("a"), Batch("b")});
    damagedLast.back() ^= 0x40;
    for (const std::string& bytes : {damagedLast + std::string(100, '\0'), damagedLast})
        EXPECT_EQ(Fields(ScanWal(bytes, "l").batches), Fields({Batch("a")}));
}

// Damage before the end, or a header not ours, is refused with the file and the reason named.
TEST(Wal, DamageBeforeTheEndOrAForeignHeaderIsRefused) {
    const std::string good = Log({Batch("first"), Batch("second"), Batch("third")});
    const auto flipped = [&](std::size_t at, std::string bytes) {
        bytes[at] ^= 0x01;
        return bytes;
    };
    // A record whose checksums match but whose statement count overstates its contents.
    std::string payload = Log({Batch("abc")}).substr(kWalHeaderSize + kWalRecordHeaderSize);
    payload[0] = 2;
    std::string record(kWalRecordHeaderSize, '\0');
    const auto put = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) record[at + i] = static_cast<char>(v >> (8 * i));
    };
    put(0, static_cast<std::uint32_t>(payload.size()));
    put(4, Crc32c(payload.data(), payload.size()));
    put(8, Crc32c(record.data(), 8));
    const std::string inTheMiddle = "the log is damaged in the middle";
    const struct {
        std::string bytes;
        std::string expect, alsoExpect;
    } cases[] = {
        {flipped(kWalHeaderSize + kWalRecordHeaderSize + 14, good), "record checksum mismatch",
         inTheMiddle},
        {flipped(kWalHeaderSize, good), "record header checksum mismatch", inTheMiddle},
        {flipped(Log({Batch("first")}).size() + 5, good), "(record 2): record header checksum",
         inTheMiddle},
        {EncodeWalHeader(7) + record + payload, "contents are malformed", inTheMiddle},
        {"", "not a sqlstandin log", ""},
        {"SSINWAL1", "not a sqlstandin log", ""},
        {std::string("PK\x03\x04") + std::string(40, 'z'), "not a sqlstandin log", ""},
        {flipped(9, Log({})), "log header is damaged", ""},  // the generation
    };
    for (const auto& c : cases) {
        const std::string error = ErrorText([&] { ScanWal(c.bytes, "db/log.wal"); });
        for (const std::string& part : {c.expect, c.alsoExpect, std::string("db/log.wal")})
            EXPECT_NE(error.find(part), std::string::npos) << part << " not in: " << error;
    }
}

// Whatever single byte is damaged, and wherever the file is cut, a scan either refuses or
// yields a prefix of what was written: never a changed statement.
TEST(Wal, RandomDamageNeverYieldsChangedStatements) {
    std::vector<LoggedBatch> written;
    for (int i = 0; i < 20; ++i)
        written.push_back(LoggedBatch(
            1 + i % 3,
            AppliedStatement{
                "update t set c='" + std::string(i, 'x') + "' where id=" + std::to_string(i),
                DateTime{i, static_cast<std::uint32_t>(i * 7)}, i % 2 == 0}));
    const std::string good = Log(written);
    std::mt19937 rng(7);
    int refused = 0, prefixes = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string bytes = good;
        bytes[std::uniform_int_distribution<std::size_t>(0, bytes.size() - 1)(rng)] ^=
            static_cast<char>(std::uniform_int_distribution<int>(1, 255)(rng));
        if (round % 2 == 1)
            bytes.resize(std::uniform_int_distribution<std::size_t>(0, bytes.size())(rng));
        WalScan scan;
        try {
            scan = ScanWal(bytes, "l");
        } catch (const std::runtime_error&) {
            ++refused;
            continue;
        }
        ++prefixes;
        ASSERT_LE(scan.batches.size(), written.size());
        ASSERT_EQ(Fields(scan.batches),
                  Fields({written.begin(), written.begin() + scan.batches.size()}))
            << "round " << round;
    }
    EXPECT_GT(refused, 0);
    EXPECT_GT(prefixes, 0);
}

}  // namespace
}  // namespace standin
