// DELETE FROM t WHERE ...
#include "exec/Executor.h"
#include "exec/TableWrite.h"

namespace standin {

StatementOutcome ExecDelete(StatementEnv& env, const BoundDelete& s) {
    Table& t = *s.table;
    Evaluator ev(env);
    std::vector<RowId> rows = FindRows(env, ev, t, s.where.get());
    for (RowId id : rows) {
        env.undo.push_back(
            UndoRecord{UndoRecord::Kind::Deleted, &t, id, {}, nullptr, t.store.Erase(id)});
    }
    StatementOutcome o;
    o.rowCount = static_cast<std::int64_t>(rows.size());
    return o;
}

}  // namespace standin
