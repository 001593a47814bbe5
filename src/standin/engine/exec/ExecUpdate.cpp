// UPDATE t SET ... WHERE ...: new values are computed from the old row; keys are checked after
// all rows changed, as SQL Server checks them at the end of the statement.
#include <algorithm>

#include "exec/Executor.h"
#include "exec/TableWrite.h"

namespace standin {

StatementOutcome ExecUpdate(StatementEnv& env, const BoundUpdate& s) {
    Table& t = *s.table;
    Evaluator ev(env);
    std::vector<RowId> rows = FindRows(env, ev, t, s.where.get());
    // Every new value is computed from the rows as they were before any of them changes. Only
    // the assigned columns are copied: a row is as wide as its table, an update often one value.
    std::vector<std::vector<Value>> newValues;
    newValues.reserve(rows.size());
    // A row is read only when a new value reads it: most updates assign constants.
    const bool readsRow = std::any_of(s.values.begin(), s.values.end(),
                                      [](const auto& e) { return !IsConstant(*e); });
    std::vector<char> columnsRead(t.columns.size(), 0);
    if (readsRow)
        for (auto& e : s.values) MarkColumnsRead(*e, columnsRead);
    Row old;
    for (RowId id : rows) {
        if (readsRow) t.store.Read(id, columnsRead, old);
        std::vector<Value> values;
        values.reserve(s.targets.size());
        for (std::size_t k = 0; k < s.targets.size(); ++k) {
            const BoundExpr& e = *s.values[k];
            values.push_back(StoreValue(ev.Eval(e, readsRow ? &old : nullptr), e.type,
                                        t.columns[static_cast<std::size_t>(s.targets[k])]));
        }
        CheckNotNull(t, s.targets, values, "UPDATE");
        newValues.push_back(std::move(values));
    }
    // One undo record a row: sized once, since moving a vector of them as it doubles cost a
    // fifth of an update of every row of a large table.
    env.undo.reserve(env.undo.size() + rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        std::vector<Value> old =
            t.store.ReplaceColumns(rows[i], s.targets, std::move(newValues[i]));
        env.undo.push_back(
            UndoRecord{UndoRecord::Kind::ColumnsReplaced, &t, rows[i], std::move(old), &s.targets});
    }
    CheckUniqueKeys(t, rows, s.targets);
    StatementOutcome o;
    o.rowCount = static_cast<std::int64_t>(rows.size());
    return o;
}

}  // namespace standin
