#pragma once
// sqlstandin clone: a stand-in database in a folder with the user tables of a live database read
// through ODBC: columns, identity, defaults, keys, indexes and every row. The source is only
// read. The copy is assembled in a hidden folder and moved into place when complete, so the
// folder holds either a whole copy or nothing.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "clone/OdbcReader.h"
#include "clone/RowCopier.h"
#include "clone/SourceCatalogue.h"

namespace standin::clone {

struct CloneOptions {
    std::filesystem::path dir;
    SourceLogin source;
    std::string saPassword;        // the copy's sa login
    std::FILE* progress = stderr;  // the progress lines
    RowBatchLimits batch;
};

struct CloneOutcome {
    SourceCatalogue catalogue;  // the source's, with what the copy lacks
    int tablesCopied = 0;
    std::int64_t rowsCopied = 0;
    double seconds = 0;
    bool usable = true;              // for a rehearsal of the upgrade (SpoilsRehearsal)
    std::vector<double> roundTrips;  // seconds of the source's `select 1`, before, amid, after
};

CloneOutcome CloneDatabase(const CloneOptions& options);

// What a clone did and what the copy lacks, with the verdict on its use for a rehearsal.
std::string CloneReport(const CloneOutcome& outcome, const std::filesystem::path& dir);

}  // namespace standin::clone
