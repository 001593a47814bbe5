#pragma once
// The versioned binary image of a whole database (catalogue, rows, logins) that Database::Save
// writes and Database::Load reads back. Layout: magic, format version, payload, FNV-1a checksum.

#include <iosfwd>

#include "catalog/Catalogue.h"

namespace standin {

void WriteImage(std::ostream& out, const Catalogue& catalogue);
// Throws std::runtime_error naming what is wrong (truncated, bad magic, unknown version,
// checksum mismatch, impossible values).
void ReadImage(std::istream& in, Catalogue& catalogue);

}  // namespace standin
