// DROP TABLE t, ...: every table is checked before any is dropped.
#include "Errors.h"
#include "exec/Executor.h"

namespace standin {

StatementOutcome ExecDropTable(StatementEnv& env, const DropTableStmt& s) {
    for (auto& name : s.tables)
        if (!env.catalogue.FindTable(name) || IsSystemTableName(name))
            throw errors::CannotDropTable(name);
    for (auto& name : s.tables) env.catalogue.DropTable(name);
    return StatementOutcome{};
}

}  // namespace standin
