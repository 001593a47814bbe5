#pragma once
// The snapshot file: a whole database state (Database::Save) in a checksummed envelope.
//
// Layout, little-endian: "SSINSNP1" | u64 generation | u64 payload length | u32 crc32c(payload) |
// u32 crc32c(previous 28 bytes) | payload. The generation numbers checkpoints; the log that
// continues a snapshot carries the same generation.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace standin {

inline constexpr std::size_t kSnapshotHeaderSize = 32;

struct SnapshotContents {
    std::uint64_t generation = 0;
    std::string payload;
};

// The header alone, and the whole file (header and payload).
std::string EncodeSnapshotHeader(std::uint64_t generation, std::string_view payload);
std::string EncodeSnapshot(std::uint64_t generation, std::string_view payload);

// Throws std::runtime_error naming `file` when the bytes are not a complete, intact snapshot.
SnapshotContents DecodeSnapshot(std::string bytes, const std::filesystem::path& file);

// Writes a snapshot so that `file` holds either the previous one or this one after any crash.
void WriteSnapshotFile(const std::filesystem::path& file, std::uint64_t generation,
                       std::string_view payload);
SnapshotContents ReadSnapshotFile(const std::filesystem::path& file);

}  // namespace standin
