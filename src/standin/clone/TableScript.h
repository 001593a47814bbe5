#pragma once
// The statements that build a source table anew in the copy: CREATE TABLE with each column's
// type, nullability, identity and named default, then its keys and indexes, named as in the
// source.

#include <string>
#include <vector>

#include "clone/SourceCatalogue.h"

namespace standin::clone {

std::string CreateTableStatement(const SourceTable& table);
// ALTER TABLE ... ADD CONSTRAINT for keys, CREATE INDEX for the other indexes. Run after the
// rows are in: a key is checked once instead of at every insert.
std::vector<std::string> KeyAndIndexStatements(const SourceTable& table);

}  // namespace standin::clone
