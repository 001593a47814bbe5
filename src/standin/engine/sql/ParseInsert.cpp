// INSERT [INTO] t [(cols)] VALUES (...)[, (...)] | SELECT ... | DEFAULT VALUES
#include "sql/Parser.h"

namespace standin {

InsertStmt Parser::ParseInsert() {
    InsertStmt s;
    AcceptWord("INTO");
    s.table = ExpectObjectName();
    if (Peek().IsSymbol("(")) s.columns = ParseNameList();
    if (AcceptWord("VALUES")) {
        do {
            ExpectSymbol("(");
            std::vector<ExprPtr> row;
            do {
                if (AcceptWord("DEFAULT"))
                    row.push_back(nullptr);
                else
                    row.push_back(ParseValue());
            } while (AcceptSymbol(","));
            ExpectSymbol(")");
            s.rows.push_back(std::move(row));
        } while (AcceptSymbol(","));
        return s;
    }
    if (Peek().IsWord("SELECT")) {
        s.select = ParseSelect();
        return s;
    }
    if (AcceptWord("DEFAULT")) {
        ExpectWord("VALUES");
        s.defaultValues = true;
        return s;
    }
    Fail();
}

}  // namespace standin
