#include "storage/Wal.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

#include "storage/Crc32c.h"
#include "storage/StorageBytes.h"

namespace standin {
namespace {

constexpr std::string_view kMagic = "SSINWAL1";
// A larger length can only be damage: a batch is at most a few megabytes of text.
constexpr std::uint32_t kMaxPayload = 1u << 30;
constexpr std::uint8_t kFlagAnsiNullDefaultOn = 1;

std::string At(const std::filesystem::path& file, std::uint64_t offset) {
    return "log file '" + file.string() + "' at byte " + std::to_string(offset);
}

bool OnlyZerosFrom(std::string_view bytes, std::size_t from) {
    return std::all_of(bytes.begin() + static_cast<std::ptrdiff_t>(std::min(from, bytes.size())),
                       bytes.end(), [](char c) { return c == 0; });
}

bool DecodePayload(std::string_view payload, LoggedBatch& batch) {
    ByteReader in(payload);
    std::uint32_t count = 0;
    if (!in.U32(count)) return false;
    // Each statement needs at least 13 bytes, which bounds a damaged count before reserving.
    if (count > payload.size() / 13) return false;
    batch.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint32_t days = 0, ticks = 0;
        std::uint8_t flags = 0;
        std::string_view text;
        if (!in.U32(days) || !in.U32(ticks) || !in.U8(flags) || !in.String(text)) return false;
        if (ticks >= 25920000 || (flags & ~kFlagAnsiNullDefaultOn) != 0) return false;
        batch.push_back(AppliedStatement{std::string(text),
                                         DateTime{static_cast<std::int32_t>(days), ticks},
                                         (flags & kFlagAnsiNullDefaultOn) != 0});
    }
    return in.AtEnd();
}

[[noreturn]] void ThrowCorrupt(const std::filesystem::path& file, std::uint64_t offset,
                               std::size_t recordIndex, const std::string& what,
                               std::uint64_t following) {
    throw std::runtime_error(
        At(file, offset) + " (record " + std::to_string(recordIndex + 1) + "): " + what + ", and " +
        std::to_string(following) +
        " bytes of later data follow it; the log is damaged in the middle and is not "
        "opened, since dropping the rest would lose acknowledged statements");
}

}  // namespace

std::string EncodeWalHeader(std::uint64_t generation) {
    std::string out(kMagic);
    PutU64(out, generation);
    PutU32(out, Crc32c(out.data(), out.size()));
    PutU32(out, 0);
    return out;
}

void AppendWalRecord(std::string& out, const LoggedBatch& batch) {
    const std::size_t start = out.size();
    out.append(kWalRecordHeaderSize, '\0');
    PutU32(out, static_cast<std::uint32_t>(batch.size()));
    for (const AppliedStatement& s : batch) {
        PutU32(out, static_cast<std::uint32_t>(s.now.days));
        PutU32(out, s.now.ticks);
        PutU8(out, s.ansiNullDefaultOn ? kFlagAnsiNullDefaultOn : 0);
        PutString(out, s.text);
    }
    const std::size_t payloadSize = out.size() - start - kWalRecordHeaderSize;
    if (payloadSize > kMaxPayload) {
        out.resize(start);
        throw std::runtime_error("a batch of " + std::to_string(payloadSize) +
                                 " bytes is too large for the log");
    }
    std::string header;
    PutU32(header, static_cast<std::uint32_t>(payloadSize));
    PutU32(header, Crc32c(out.data() + start + kWalRecordHeaderSize, payloadSize));
    PutU32(header, Crc32c(header.data(), 8));
    out.replace(start, kWalRecordHeaderSize, header);
}

WalScan ScanWal(std::string_view bytes, const std::filesystem::path& file) {
    if (bytes.size() < kWalHeaderSize || bytes.substr(0, kMagic.size()) != kMagic)
        throw std::runtime_error("'" + file.string() +
                                 "' is not a sqlstandin log (its header is missing or foreign)");
    if (LoadU32(bytes.data() + 16) != Crc32c(bytes.data(), 16))
        throw std::runtime_error("'" + file.string() +
                                 "': the log header is damaged (checksum mismatch)");

    WalScan scan;
    scan.generation = LoadU64(bytes.data() + 8);
    std::size_t pos = kWalHeaderSize;
    while (pos < bytes.size()) {
        const std::size_t remaining = bytes.size() - pos;
        if (remaining < kWalRecordHeaderSize) break;  // torn inside a record header
        const char* h = bytes.data() + pos;
        const std::uint32_t length = LoadU32(h);
        if (LoadU32(h + 8) != Crc32c(h, 8) || length > kMaxPayload) {
            if (OnlyZerosFrom(bytes, pos)) break;  // space allocated but never written
            ThrowCorrupt(file, pos, scan.batches.size(), "record header checksum mismatch",
                         remaining);
        }
        const std::size_t end = pos + kWalRecordHeaderSize + length;
        if (end > bytes.size()) break;  // an intact length pointing past the end: torn write
        const std::string_view payload = bytes.substr(pos + kWalRecordHeaderSize, length);
        LoggedBatch batch;
        if (LoadU32(h + 4) != Crc32c(payload.data(), payload.size())) {
            if (OnlyZerosFrom(bytes, end)) break;  // the last record, partly written
            ThrowCorrupt(file, pos, scan.batches.size(), "record checksum mismatch",
                         bytes.size() - end);
        }
        if (!DecodePayload(payload, batch))
            ThrowCorrupt(file, pos, scan.batches.size(),
                         "record checksum matches but its contents are malformed",
                         bytes.size() - end);
        scan.batches.push_back(std::move(batch));
        pos = end;
    }
    scan.validEnd = pos;
    scan.droppedTail = bytes.size() - pos;
    return scan;
}

void WalWriter::CreateEmpty(const std::filesystem::path& file, std::uint64_t generation) {
    ReplaceFileDurably(file, EncodeWalHeader(generation));
}

WalWriter::WalWriter(std::filesystem::path file, std::uint64_t validEnd, bool sync)
    : file_(std::move(file)), handle_(OpenFile(file_, O_WRONLY)), size_(validEnd), sync_(sync) {
    if (::ftruncate(handle_.Fd(), static_cast<off_t>(validEnd)) != 0)
        ThrowFileError("truncate", file_, errno);
    if (sync_) SyncFile(handle_, file_);
}

void WalWriter::Append(const LoggedBatch& batch) {
    if (damaged_)
        throw std::runtime_error("log file '" + file_.string() +
                                 "' could not be restored after a failed write");
    buffer_.clear();
    AppendWalRecord(buffer_, batch);
    std::string_view rest = buffer_;
    std::uint64_t offset = size_;
    try {
        while (!rest.empty()) {
            const ssize_t n =
                ::pwrite(handle_.Fd(), rest.data(), rest.size(), static_cast<off_t>(offset));
            if (n < 0) {
                if (errno == EINTR) continue;
                ThrowFileError("append to", file_, errno);
            }
            rest.remove_prefix(static_cast<std::size_t>(n));
            offset += static_cast<std::uint64_t>(n);
        }
        if (sync_ && ::fdatasync(handle_.Fd()) != 0) ThrowFileError("sync", file_, errno);
    } catch (...) {
        // Cut the partial record away so that a later record does not follow damage.
        if (::ftruncate(handle_.Fd(), static_cast<off_t>(size_)) != 0) damaged_ = true;
        throw;
    }
    size_ = offset;
}

}  // namespace standin
