// CREATE TABLE t ( column definitions and table constraints )
#include "sql/Parser.h"

namespace standin {

CreateTableStmt Parser::ParseCreateTable() {
    CreateTableStmt s;
    s.table = ExpectObjectName();
    ExpectSymbol("(");
    do {
        if (Peek().IsWord("CONSTRAINT") || Peek().IsWord("PRIMARY") || Peek().IsWord("UNIQUE")) {
            KeyDef k;
            if (AcceptWord("CONSTRAINT")) k.name = ExpectName();
            if (AcceptWord("PRIMARY")) {
                ExpectWord("KEY");
                k.primary = true;
            } else {
                ExpectWord("UNIQUE");
                k.primary = false;
            }
            k.clustered = k.primary;
            if (AcceptWord("CLUSTERED"))
                k.clustered = true;
            else if (AcceptWord("NONCLUSTERED"))
                k.clustered = false;
            k.columns = ParseNameList();
            k.fillFactor = SkipIndexOptions();
            s.keys.push_back(std::move(k));
        } else {
            s.columns.push_back(ParseColumnDef());
        }
    } while (AcceptSymbol(","));
    ExpectSymbol(")");
    return s;
}

}  // namespace standin
