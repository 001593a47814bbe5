// INSERT ... VALUES / SELECT / DEFAULT VALUES: one new row per source row, all or none.
#include "types/Collation.h"
#include "Errors.h"
#include "exec/Executor.h"
#include "types/SqlTypes.h"
#include "exec/TableWrite.h"

namespace standin {
namespace {

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

}  // namespace

StatementOutcome ExecInsert(StatementEnv& env, InsertStmt& s) {
    Table& t = TableForWrite(env, s.table);
    // Target columns, in the order values are given.
    std::vector<int> targets;
    // SET IDENTITY_INSERT ON for this table: the identity column takes the values given.
    const bool identityInsert =
        env.session.replaying || SameName(env.session.identityInsertTable, t.name);
    if (!s.columns.empty()) {
        for (auto& name : s.columns) {
            int c = t.FindColumn(name);
            if (c < 0) throw errors::InvalidColumn(name);
            for (int prev : targets)
                if (prev == c) throw errors::ColumnInListTwice(t.columns[static_cast<std::size_t>(c)].name);
            if (t.columns[static_cast<std::size_t>(c)].identity && !identityInsert)
                throw errors::Other(544, 16, 1,
                                    "Cannot insert explicit value for identity column in table '" + t.name +
                                        "' when IDENTITY_INSERT is set to OFF.");
            targets.push_back(c);
        }
    } else {
        for (std::size_t i = 0; i < t.columns.size(); ++i)
            if (!t.columns[i].identity) targets.push_back(static_cast<int>(i));
    }
    bool hasIdentity = false;
    for (auto& c : t.columns) hasIdentity = hasIdentity || c.identity;
    if (hasIdentity && !env.session.replaying &&
        SameName(env.session.identityInsertTable, t.name)) {
        bool identityGiven = false;
        for (int c : targets)
            identityGiven = identityGiven || t.columns[static_cast<std::size_t>(c)].identity;
        if (!identityGiven && !s.columns.empty())
            throw errors::Other(
                545, 16, 1,
                "Explicit value must be specified for identity column in table '" + t.name +
                    "' either when IDENTITY_INSERT is set to ON or when a replication user is "
                    "inserting into a NOT FOR REPLICATION identity column.");
    }

    // Source rows with their types.
    std::vector<std::vector<Value>> source;
    std::vector<std::vector<SqlType>> sourceTypes;
    std::vector<std::vector<bool>> useDefault;
    Evaluator ev(env);
    if (s.defaultValues) {
        targets.clear();
        source.emplace_back();
        sourceTypes.emplace_back();
        useDefault.emplace_back();
    } else if (s.select) {
        ResultSet rs = RunSelect(env, *s.select);
        if (rs.columns.size() != targets.size()) {
            if (s.columns.empty()) {
                if (hasIdentity && rs.columns.size() == t.columns.size()) throw errors::ExplicitIdentity(t.name);
                throw errors::ColumnCountMismatch();
            }
            if (rs.columns.size() < targets.size())
                throw errors::Other(120, 15, 1,
                                    "The select list for the INSERT statement contains fewer items than the insert list. "
                                    "The number of SELECT values must match the number of INSERT columns.",
                                    true);
            throw errors::Other(121, 15, 1,
                                "The select list for the INSERT statement contains more items than the insert list. "
                                "The number of SELECT values must match the number of INSERT columns.",
                                true);
        }
        std::vector<SqlType> types;
        for (auto& c : rs.columns) types.push_back(c.type);
        for (auto& r : rs.rows) {
            source.push_back(std::move(r));
            sourceTypes.push_back(types);
            useDefault.emplace_back(types.size(), false);
        }
    } else {
        BindScope scope;
        scope.valuesList = true;
        for (auto& row : s.rows) {
            if (row.size() != targets.size()) {
                if (s.columns.empty()) {
                    if (hasIdentity && row.size() == t.columns.size()) throw errors::ExplicitIdentity(t.name);
                    throw errors::ColumnCountMismatch();
                }
                if (row.size() < targets.size()) throw errors::MoreColumnsThanValues();
                throw errors::FewerColumnsThanValues();
            }
        }
        for (auto& row : s.rows) {
            std::vector<Value> vals;
            std::vector<SqlType> types;
            std::vector<bool> defs;
            for (auto& e : row) {
                if (!e) {
                    vals.emplace_back();
                    types.push_back(MakeType(TypeId::Int));
                    defs.push_back(true);
                    continue;
                }
                ev.Bind(*e, scope);
                vals.push_back(ev.Eval(*e, nullptr));
                types.push_back(e->type);
                defs.push_back(false);
            }
            source.push_back(std::move(vals));
            sourceTypes.push_back(std::move(types));
            useDefault.push_back(std::move(defs));
        }
    }

    // Identity values handed out by a failed statement are taken back, so that replaying the
    // statements that succeeded gives the same values.
    bool identityUsed = t.identityUsed;
    std::int64_t identityLast = t.identityLast;
    std::vector<RowId> added;
    try {
        for (std::size_t r = 0; r < source.size(); ++r) {
            Row row(t.columns.size());
            std::vector<bool> given(t.columns.size(), false);
            for (std::size_t k = 0; k < targets.size(); ++k) {
                auto c = static_cast<std::size_t>(targets[k]);
                if (useDefault[r][k]) continue;
                row[c] = StoreValue(source[r][k], sourceTypes[r][k], t.columns[c]);
                given[c] = true;
            }
            for (std::size_t c = 0; c < t.columns.size(); ++c) {
                if (given[c] && t.columns[c].identity)
                    TakeExplicitIdentity(t, t.columns[c], row[c]);
                if (given[c]) continue;
                if (t.columns[c].identity) row[c] = NextIdentity(t, t.columns[c]);
                else row[c] = DefaultValue(env, t, t.columns[c]);
            }
            CheckNotNull(t, row, "INSERT");
            RowId id = t.store.Insert(std::move(row));
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
