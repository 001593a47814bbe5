#pragma once
// The versioned binary image of a whole database (catalogue, rows, logins) that Database::Save
// writes and Database::Load reads back. Layout, little-endian: "SQLSTDB\n" | u32 format version |
// u64 payload length | payload | u32 CRC-32C of the payload. Version 1 (an 8-byte FNV-1a sum in
// place of the CRC) is still read.

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "catalog/Catalogue.h"

namespace standin {

// Turns the stored text of a default back into its parsed, bound expression; throws when the
// text does not parse. The image keeps only the text, and parsing belongs to the rooms above the
// catalogue.
using DefaultCompiler = std::function<std::shared_ptr<const BoundExpr>(const std::string& text)>;

// The image is built in one buffer and read in place: a large database's image is a few hundred
// megabytes, and every copy of it (a stream's buffer, its growth by doubling) adds to the
// process's peak while the rows exist beside it.
std::string WriteImage(const Catalogue& catalogue);
// Throws std::runtime_error naming what is wrong (truncated, bad magic, unknown version,
// checksum mismatch, impossible values).
void ReadImage(std::string_view image, Catalogue& catalogue, const DefaultCompiler& compileDefault);

}  // namespace standin
