#pragma once
// Copies every row of one source table into the copy, in batches of multi-row INSERTs, never
// holding more than one batch in memory. Identity values are kept (SET IDENTITY_INSERT), and the
// copy's current identity value is brought to the source's.

#include <cstdint>

#include "clone/CopyProgress.h"
#include "clone/CopyWriter.h"
#include "clone/SourceCatalogue.h"

namespace kavel {
class TDatabase;
}

namespace standin::clone {

struct RowBatchLimits {
    std::size_t rows = 1000;
    std::size_t bytes = 1 << 20;  // of statement text
};

// Returns the number of rows copied. Throws std::runtime_error (or EDatabaseError from the
// source) when a row cannot be read or stored.
std::int64_t CopyRows(kavel::TDatabase& source, const SourceTable& table, CopyWriter& copy,
                      CopyProgress& progress, RowBatchLimits limits = {});

}  // namespace standin::clone
