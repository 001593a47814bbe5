// INSERT ... VALUES / SELECT / DEFAULT VALUES: one new row per source row, all or none.
#include "exec/Executor.h"
#include "exec/TableWrite.h"
#include "types/SqlTypes.h"

namespace standin {
namespace {

// The values given for the target columns, computed before any row is added.
struct SourceRow {
    std::vector<Value> values;
    std::vector<SqlType> types;
    std::vector<bool> useDefault;  // DEFAULT written in a VALUES list
};

std::vector<SourceRow> SourceRows(StatementEnv& env, const BoundInsert& s) {
    std::vector<SourceRow> source;
    if (s.defaultValues) {
        source.emplace_back();
    } else if (s.select) {
        ResultSet rs = RunSelect(env, *s.select);
        std::vector<SqlType> types;
        for (auto& c : rs.columns) types.push_back(c.type);
        for (auto& r : rs.rows)
            source.push_back(SourceRow{std::move(r), types, std::vector<bool>(types.size())});
    } else {
        Evaluator ev(env);
        for (auto& row : s.rows) {
            SourceRow r;
            for (auto& e : row) {
                r.values.push_back(e ? ev.Eval(*e, nullptr) : Value{});
                r.types.push_back(e ? e->type : MakeType(TypeId::Int));
                r.useDefault.push_back(!e);
            }
            source.push_back(std::move(r));
        }
    }
    return source;
}

// An explicit identity value moves the table's current identity value when it lies beyond it
// in the direction of the increment, as on SQL Server.
void TakeExplicitIdentity(Table& t, const Column& c, const Value& v) {
    std::int64_t given = 0;
    if (const auto* i = std::get_if<std::int64_t>(&v))
        given = *i;
    else if (const auto* d = std::get_if<Decimal>(&v); d && d->scale == 0)
        given = static_cast<std::int64_t>(d->unscaled);
    else
        return;
    const bool beyond = c.increment > 0 ? given > t.identityLast : given < t.identityLast;
    if (!t.identityUsed || beyond) {
        t.identityUsed = true;
        t.identityLast = given;
    }
}

Row NewRow(StatementEnv& env, const BoundInsert& s, const SourceRow& source) {
    Table& t = *s.table;
    Row row(t.columns.size());
    std::vector<bool> given(t.columns.size(), false);
    for (std::size_t k = 0; k < s.targets.size(); ++k) {
        auto c = static_cast<std::size_t>(s.targets[k]);
        if (source.useDefault[k]) continue;
        row[c] = StoreValue(source.values[k], source.types[k], t.columns[c]);
        given[c] = true;
    }
    for (std::size_t c = 0; c < t.columns.size(); ++c) {
        if (given[c] && t.columns[c].identity) TakeExplicitIdentity(t, t.columns[c], row[c]);
        if (given[c]) continue;
        if (t.columns[c].identity)
            row[c] = NextIdentity(t, t.columns[c]);
        else
            row[c] = DefaultValue(env, t, t.columns[c]);
    }
    CheckNotNull(t, row, "INSERT");
    return row;
}

}  // namespace

StatementOutcome ExecInsert(StatementEnv& env, const BoundInsert& s) {
    Table& t = *s.table;
    std::vector<SourceRow> source = SourceRows(env, s);
    // Identity values handed out by a failed statement are taken back, so that replaying the
    // statements that succeeded gives the same values.
    bool identityUsed = t.identityUsed;
    std::int64_t identityLast = t.identityLast;
    std::vector<RowId> added;
    try {
        for (const SourceRow& r : source) {
            RowId id = t.store.Insert(NewRow(env, s, r));
            env.undo.push_back(UndoRecord{UndoRecord::Kind::Inserted, &t, id, {}});
            added.push_back(id);
        }
        CheckUniqueKeys(t, added);
    } catch (...) {
        t.identityUsed = identityUsed;
        t.identityLast = identityLast;
        throw;
    }
    StatementOutcome o;
    o.rowCount = static_cast<std::int64_t>(added.size());
    return o;
}

}  // namespace standin
