// UPDATE t SET ... WHERE ...: new values are computed from the old row; keys are checked after
// all rows changed, as SQL Server checks them at the end of the statement.
#include "types/Collation.h"
#include "Errors.h"
#include "exec/Executor.h"
#include "exec/TableWrite.h"

namespace standin {

StatementOutcome ExecUpdate(StatementEnv& env, UpdateStmt& s) {
    Table& t = TableForWrite(env, s.table);
    Evaluator ev(env);
    BindScope scope;
    scope.columns = &t.columns;
    scope.tableName = t.name;
    std::vector<int> targets;
    for (auto& [name, expr] : s.assignments) {
        int c = t.FindColumn(name);
        if (c < 0) throw errors::InvalidColumn(name);
        for (int prev : targets)
            if (prev == c) throw errors::ColumnInListTwice(t.columns[static_cast<std::size_t>(c)].name);
        if (t.columns[static_cast<std::size_t>(c)].identity)
            throw errors::Other(8102, 16, 1, "Cannot update identity column '" + t.columns[static_cast<std::size_t>(c)].name + "'.");
        targets.push_back(c);
        ev.Bind(*expr, scope);
    }
    if (s.where) {
        ev.Bind(*s.where, scope);
    }
    std::vector<RowId> rows = FindRows(env, ev, t, s.where.get());
    // Compute every new row before changing any.
    std::vector<Row> newRows;
    newRows.reserve(rows.size());
    for (RowId id : rows) {
        const Row& old = t.store.Get(id);
        Row nr = old;
        for (std::size_t k = 0; k < targets.size(); ++k) {
            auto c = static_cast<std::size_t>(targets[k]);
            const Expr& e = *s.assignments[k].second;
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
