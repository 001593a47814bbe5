// DROP TABLE t [, t2 ...]
#include "sql/Parser.h"

namespace standin {

DropTableStmt Parser::ParseDropTable() {
    DropTableStmt s;
    do s.tables.push_back(ExpectObjectName());
    while (AcceptSymbol(","));
    return s;
}

}  // namespace standin
