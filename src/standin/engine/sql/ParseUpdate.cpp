// UPDATE t SET col = expr, ... [WHERE condition]
#include "sql/Parser.h"

namespace standin {

UpdateStmt Parser::ParseUpdate() {
    UpdateStmt s;
    s.table = ExpectObjectName();
    ExpectWord("SET");
    do {
        std::string column = ExpectName();
        while (AcceptSymbol(".")) column = ExpectName();
        ExpectSymbol("=");
        s.assignments.emplace_back(std::move(column), ParseValue());
    } while (AcceptSymbol(","));
    if (AcceptWord("WHERE")) s.where = ParseExpr();
    return s;
}

}  // namespace standin
