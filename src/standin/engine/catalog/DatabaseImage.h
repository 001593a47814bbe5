#pragma once
// The versioned binary image of a whole database (catalogue, rows, logins) that Database::Save
// writes and Database::Load reads back. Layout, little-endian: "SQLSTDB\n" | u32 format version |
// u64 payload length | payload | u32 CRC-32C of the payload. Version 1 (an 8-byte FNV-1a sum in
// place of the CRC) is still read.

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>

#include "catalog/Catalogue.h"

namespace standin {

// Turns the stored text of a default back into its parsed, bound expression; throws when the
// text does not parse. The image keeps only the text, and parsing belongs to the rooms above the
// catalogue.
using DefaultCompiler = std::function<std::shared_ptr<const BoundExpr>(const std::string& text)>;

void WriteImage(std::ostream& out, const Catalogue& catalogue);
// Throws std::runtime_error naming what is wrong (truncated, bad magic, unknown version,
// checksum mismatch, impossible values).
void ReadImage(std::istream& in, Catalogue& catalogue, const DefaultCompiler& compileDefault);

}  // namespace standin
