#pragma once
// Reads a database's catalogue through the system tables SQL Server answers from version 2000
// on (sysobjects, syscolumns, systypes, sysindexes, sysindexkeys, syscomments) and the functions
// IDENT_SEED, IDENT_INCR and IDENT_CURRENT. Every query reads one table, so the stand-in can
// answer them as well as SQL Server.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "clone/SourceCatalogue.h"

namespace standin::clone {

// Rows of a query, every value as text (as an ODBC client reads it), NULL as nullopt.
using TextRows = std::vector<std::vector<std::optional<std::string>>>;
using QueryText = std::function<TextRows(const std::string& sql)>;

// The catalogue of the database that `query` reads. Throws std::runtime_error when a result
// does not have the shape asked for.
SourceCatalogue ReadCatalogue(const QueryText& query);

// A name in [brackets], a closing bracket doubled.
std::string Bracketed(const std::string& name);
// A value between single quotes, quotes doubled.
std::string SingleQuoted(const std::string& text);

}  // namespace standin::clone
