// DELETE [FROM] t [WHERE condition]
#include "sql/Parser.h"

namespace standin {

DeleteStmt Parser::ParseDelete() {
    DeleteStmt s;
    AcceptWord("FROM");
    s.table = ExpectObjectName();
    if (AcceptWord("WHERE")) s.where = ParseExpr();
    return s;
}

}  // namespace standin
