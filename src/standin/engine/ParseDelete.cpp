// DELETE [FROM] t [WHERE condition]
#include "Parser.h"

namespace standin {

DeleteStmt Parser::ParseDelete() {
    DeleteStmt s;
    AcceptWord("FROM");
    s.table = ExpectObjectName();
    if (AcceptWord("WHERE")) s.where = ParseExpr();
    return s;
}

}  // namespace standin
