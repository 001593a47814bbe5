// UPDATE t SET ... WHERE ...: new values are computed from the old row; keys are checked after
// all rows changed, as SQL Server checks them at the end of the statement.
#include "exec/Executor.h"
#include "exec/TableWrite.h"

namespace standin {

StatementOutcome ExecUpdate(StatementEnv& env, const BoundUpdate& s) {
    Table& t = *s.table;
    Evaluator ev(env);
    std::vector<RowId> rows = FindRows(env, ev, t, s.where.get());
    // Compute every new row before changing any.
    std::vector<Row> newRows;
    newRows.reserve(rows.size());
    for (RowId id : rows) {
        const Row& old = t.store.Get(id);
        Row nr = old;
        for (std::size_t k = 0; k < s.targets.size(); ++k) {
            auto c = static_cast<std::size_t>(s.targets[k]);
            const BoundExpr& e = *s.values[k];
            nr[c] = StoreValue(ev.Eval(e, &old), e.type, t.columns[c]);
        }
        CheckNotNull(t, nr, "UPDATE");
        newRows.push_back(std::move(nr));
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        // The old row moves into the undo record: a copy of every row would double the work.
        Row old = t.store.Replace(rows[i], std::move(newRows[i]));
        env.undo.push_back(UndoRecord{UndoRecord::Kind::Replaced, &t, rows[i], std::move(old)});
    }
    CheckUniqueKeys(t, rows);
    StatementOutcome o;
    o.rowCount = static_cast<std::int64_t>(rows.size());
    return o;
}

}  // namespace standin
