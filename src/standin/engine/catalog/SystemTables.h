#pragma once
// sysobjects, syscolumns, sysindexes, systypes, sysindexkeys and syscomments as queryable
// tables, built from the catalogue when a statement reads them.

#include <memory>
#include <string_view>

#include "catalog/Catalogue.h"

namespace standin {

// A read-only snapshot of the named system table; null when the name is not one of them.
std::unique_ptr<Table> MaterializeSystemTable(std::string_view name, const Catalogue& catalogue);

}  // namespace standin
