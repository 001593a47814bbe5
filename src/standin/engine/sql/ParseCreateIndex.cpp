// CREATE [UNIQUE] [CLUSTERED | NONCLUSTERED] INDEX name ON t (cols) [WITH options]
#include "sql/Parser.h"

namespace standin {

CreateIndexStmt Parser::ParseCreateIndex() {
    CreateIndexStmt s;
    if (AcceptWord("UNIQUE")) s.unique = true;
    if (AcceptWord("CLUSTERED"))
        s.clustered = true;
    else
        AcceptWord("NONCLUSTERED");
    ExpectWord("INDEX");
    s.name = ExpectName();
    ExpectWord("ON");
    s.table = ExpectObjectName();
    s.columns = ParseNameList();
    s.fillFactor = SkipIndexOptions();
    if (AcceptWord("ON")) ExpectName();  // filegroup
    return s;
}

}  // namespace standin
