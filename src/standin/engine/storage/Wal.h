#pragma once
// The write-ahead log: the statements that changed the database since the last snapshot, one
// record per batch, appended (and flushed) before the batch is acknowledged.
//
// Layout, all integers little-endian:
//   header  "SSINWAL1" | u64 generation | u32 crc32c(previous 16 bytes) | u32 0      (24 bytes)
//   record  u32 payload length | u32 crc32c(payload) | u32 crc32c(previous 8 bytes) | payload
//   payload u32 statement count, then per statement:
//           i32 days | u32 ticks | u8 flags (bit 0: ANSI_NULL_DFLT_ON) | u32 length | text
// The generation ties the log to the snapshot it continues from.
//
// Recovery: a damaged record is taken for a torn write (and dropped) only when nothing but zero
// bytes follows it, or its length is intact and points past the end of the file. Damage with real
// data after it is corruption in the middle; the log is then refused, since dropping it would lose
// acknowledged statements.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "storage/AppliedStatement.h"
#include "storage/StorageFile.h"

namespace standin {

using LoggedBatch = std::vector<AppliedStatement>;

inline constexpr std::size_t kWalHeaderSize = 24;
inline constexpr std::size_t kWalRecordHeaderSize = 12;

struct WalScan {
    std::uint64_t generation = 0;
    std::vector<LoggedBatch> batches;
    std::uint64_t validEnd = 0;     // bytes taken by the header and the complete records
    std::uint64_t droppedTail = 0;  // bytes of a torn last record after validEnd
};

std::string EncodeWalHeader(std::uint64_t generation);
// Appends one record holding `batch` to `out`.
void AppendWalRecord(std::string& out, const LoggedBatch& batch);

// Decodes a whole log. Throws std::runtime_error, naming `file` and the byte offset, when the
// header is not ours or a record in the middle is damaged.
WalScan ScanWal(std::string_view bytes, const std::filesystem::path& file);

class WalWriter {
public:
    // Writes a log of `generation` that holds no records, replacing `file` durably.
    static void CreateEmpty(const std::filesystem::path& file, std::uint64_t generation);

    // Opens `file` for appending after its first `validEnd` bytes, cutting off what follows
    // (a torn record found by ScanWal). `sync`: force each record to disk before Append returns.
    WalWriter(std::filesystem::path file, std::uint64_t validEnd, bool sync);

    // Appends one record. Once it returns the batch survives a crash of the process (and with
    // `sync`, of the machine). On failure it throws and the log ends where it ended before; if
    // even that cannot be ensured, every later Append throws too.
    void Append(const LoggedBatch& batch);

    std::uint64_t Size() const { return size_; }

private:
    std::filesystem::path file_;
    FileHandle handle_;
    std::uint64_t size_ = 0;
    bool sync_ = false;
    bool damaged_ = false;
    std::string buffer_;  // reused between appends
};

}  // namespace standin
