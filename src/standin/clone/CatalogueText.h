#pragma once
// A catalogue as text, one line per table, column, key or index and per thing a copy lacks,
// tab-separated: kind, table, name, description (and for a column with a default, the
// default's name). `sqlstandin catalogue` prints it; a rehearsal keeps one from before and one
// from after the upgrade and `sqlstandin compare` tells the schema changes between them, table
// by table.

#include <string>

#include "clone/SourceCatalogue.h"

namespace standin::clone {

std::string CatalogueText(const SourceCatalogue& catalogue);

// The changes from `before` to `after` (both CatalogueText), table by table: tables created,
// dropped and rebuilt (dropped and created anew: another object id), columns added, dropped,
// widened, narrowed or changed, keys and indexes added or dropped, and row counts. Tables
// without change are counted, not listed.
std::string CompareCatalogues(const std::string& before, const std::string& after);

}  // namespace standin::clone
