#include "storage/SnapshotFile.h"

#include <stdexcept>

#include "storage/Crc32c.h"
#include "storage/StorageBytes.h"
#include "storage/StorageFile.h"

namespace standin {
namespace {
constexpr std::string_view kMagic = "SSINSNP1";
}

std::string EncodeSnapshotHeader(std::uint64_t generation, std::string_view payload) {
    std::string out(kMagic);
    PutU64(out, generation);
    PutU64(out, payload.size());
    PutU32(out, Crc32c(payload.data(), payload.size()));
    PutU32(out, Crc32c(out.data(), out.size()));
    return out;
}

std::string EncodeSnapshot(std::uint64_t generation, std::string_view payload) {
    return EncodeSnapshotHeader(generation, payload) + std::string(payload);
}

SnapshotContents DecodeSnapshot(std::string bytes, const std::filesystem::path& file) {
    const std::string name = "'" + file.string() + "'";
    if (bytes.size() < kSnapshotHeaderSize ||
        std::string_view(bytes).substr(0, kMagic.size()) != kMagic)
        throw std::runtime_error(
            name + " is not a sqlstandin snapshot (its header is missing or foreign)");
    if (LoadU32(bytes.data() + 28) != Crc32c(bytes.data(), 28))
        throw std::runtime_error(name + ": the snapshot header is damaged (checksum mismatch)");
    const std::uint64_t length = LoadU64(bytes.data() + 16);
    const std::uint64_t present = bytes.size() - kSnapshotHeaderSize;
    if (present != length)
        throw std::runtime_error(name + ": the snapshot should hold " + std::to_string(length) +
                                 " bytes but holds " + std::to_string(present) +
                                 (present < length ? " (it is truncated)" : ""));
    if (LoadU32(bytes.data() + 24) != Crc32c(bytes.data() + kSnapshotHeaderSize, present))
        throw std::runtime_error(name + ": the snapshot is damaged (checksum mismatch)");
    SnapshotContents contents;
    contents.generation = LoadU64(bytes.data() + 8);
    bytes.erase(0, kSnapshotHeaderSize);
    contents.payload = std::move(bytes);
    return contents;
}

void WriteSnapshotFile(const std::filesystem::path& file, std::uint64_t generation,
                       std::string_view payload) {
    // Header and payload are written one after the other: a copy of the payload behind the
    // header would double the memory a checkpoint of a large database takes.
    ReplaceFileDurably(file, {EncodeSnapshotHeader(generation, payload), payload});
}

SnapshotContents ReadSnapshotFile(const std::filesystem::path& file) {
    return DecodeSnapshot(ReadWholeFile(file), file);
}

}  // namespace standin
