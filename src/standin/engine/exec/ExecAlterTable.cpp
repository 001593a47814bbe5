// ALTER TABLE: add columns, keys and defaults; change a column's type; drop a column or a
// constraint. Every check runs before the first change, so a refused statement changes nothing.
#include <algorithm>

#include "types/Collation.h"
#include "types/Convert.h"
#include "Errors.h"
#include "exec/Executor.h"
#include "types/SqlTypes.h"
#include "exec/TableWrite.h"

namespace standin {
namespace {

void AddColumns(StatementEnv& env, Table& t, AlterTableStmt& s) {
    // Checks first.
    for (std::size_t i = 0; i < s.columns.size(); ++i) {
        ColumnDef& d = s.columns[i];
        if (t.FindColumn(d.name) >= 0) throw errors::DuplicateColumn(d.name, t.name);
        for (std::size_t j = 0; j < i; ++j)
            if (SameName(s.columns[j].name, d.name)) throw errors::DuplicateColumn(d.name, t.name);
        if (d.identity) {
            for (auto& c : t.columns)
                if (c.identity) throw errors::MultipleIdentity(t.name);
            if (!IsIdentityType(d.type)) throw errors::IdentityType(d.name);
        }
        if (d.defaultExpr) BindDefault(env, *d.defaultExpr);
        if (d.defaultExpr && d.identity)
            throw errors::Other(1754, 16, 0,
                                "Defaults cannot be created on columns with an IDENTITY attribute. Table '" + t.name +
                                    "', column '" + d.name + "'.");
        if (!d.defaultName.empty() && env.catalogue.FindObject(d.defaultName).kind != ObjectRef::Kind::None)
            throw errors::ObjectExists(d.defaultName);
        bool nullable = d.identity ? false : d.nullable ? *d.nullable : env.session.ansiNullDefaultOn;
        if (!nullable && !d.defaultExpr && !d.identity && t.store.Count() > 0)
            throw errors::NotNullColumnOnNonEmptyTable(d.name, t.name);
    }
    // Values for the rows already there: the default only for a NOT NULL column (or WITH VALUES).
    std::vector<Column> newColumns;
    std::vector<Value> fill;
    for (auto& d : s.columns) {
        Column c = ColumnFromDef(d, env.session.ansiNullDefaultOn);
        Value v;
        if (d.defaultExpr && (!c.nullable || s.withValues)) {
            Evaluator ev(env);
            v = StoreValue(ev.Eval(*d.defaultExpr, nullptr), d.defaultExpr->type, c);
            if (IsNull(v) && !c.nullable) throw errors::NullNotAllowed(c.name, t.name, "ALTER TABLE");
        }
        newColumns.push_back(c);
        fill.push_back(v);
    }
    // Apply. Identity values and keys can still fail here; the table is then put back as it was.
    std::size_t first = t.columns.size();
    std::size_t defaultsBefore = t.defaults.size();
    std::size_t indexesBefore = t.indexes.size();
    int nextColidBefore = t.nextColid;
    bool identityUsedBefore = t.identityUsed;
    std::int64_t identityLastBefore = t.identityLast;
    try {
        for (std::size_t i = 0; i < s.columns.size(); ++i) {
            Column c = newColumns[i];
            c.colid = t.nextColid++;
            t.columns.push_back(c);
        }
        for (std::size_t i = 0; i < s.columns.size(); ++i)
            if (s.columns[i].defaultExpr)
                AddDefaultConstraint(env, t, t.columns[first + i], s.columns[i].defaultName, s.columns[i].defaultText);
        std::size_t identityAt = SIZE_MAX;
        for (std::size_t i = 0; i < s.columns.size(); ++i)
            if (newColumns[i].identity) identityAt = first + i;
        t.store.ForEachLiveMutable([&](Row& r) {
            for (auto& v : fill) r.push_back(v);
            if (identityAt != SIZE_MAX) r[identityAt] = NextIdentity(t, t.columns[identityAt]);
        });
        t.RebuildStoreIndexes();
        for (std::size_t i = 0; i < s.columns.size(); ++i) {
            ColumnDef& d = s.columns[i];
            if (d.primaryKey || d.unique) AddIndex(env, t, KeyIndex(d.keyName, d.primaryKey, d.keyClustered, {d.name}), true);
        }
    } catch (...) {
        t.columns.resize(first);
        t.defaults.resize(defaultsBefore);
        t.indexes.resize(indexesBefore);
        t.nextColid = nextColidBefore;
        t.identityUsed = identityUsedBefore;
        t.identityLast = identityLastBefore;
        t.store.ForEachLiveMutable([&](Row& r) { r.resize(first); });
        t.RebuildStoreIndexes();
        throw;
    }
}

// Whether an index on the column allows this change of type (SQL Server: only a varchar that keeps
// or grows its length, or no change of type at all).
bool IndexAllows(const SqlType& from, const SqlType& to) {
    if (from.id == to.id && from.length == to.length && from.precision == to.precision && from.scale == to.scale) return true;
    return from.id == TypeId::VarChar && to.id == TypeId::VarChar && to.length >= from.length;
}

void AlterColumn(Table& t, AlterTableStmt& s) {
    ColumnDef& d = s.columns[0];
    int pos = t.FindColumn(d.name);
    if (pos < 0) throw errors::NoSuchColumnToAlter("ALTER COLUMN", d.name, t.name);
    Column& c = t.columns[static_cast<std::size_t>(pos)];
    // Nullability not stated: ALTER COLUMN always makes the column nullable.
    bool nullable = d.nullable ? *d.nullable : true;
    for (auto& ix : t.indexes) {
        bool uses = std::any_of(ix.columns.begin(), ix.columns.end(), [&](auto& n) { return SameName(n, c.name); });
        if (!uses) continue;
        bool allowed = IndexAllows(c.type, d.type) && !(ix.primaryKey && nullable);
        if (!allowed)
            throw errors::ColumnHasDependents(ix.constraintId ? "object" : "index", ix.name, c.name, "ALTER COLUMN");
    }
    if (const DefaultConstraint* def = t.DefaultOf(c)) {
        bool sameKind = c.type.id == d.type.id;
        if (!sameKind) throw errors::ColumnHasDependents("object", def->name, c.name, "ALTER COLUMN");
    }
    if (c.identity && !IsIdentityType(d.type)) throw errors::IdentityType(c.name);
    // Convert every value aside; the first that does not fit fails the statement.
    Column target = c;
    target.type = d.type;
    target.nullable = nullable;
    std::vector<std::pair<RowId, Value>> converted;
    converted.reserve(t.store.Count());
    for (RowId id = 0; id < t.store.Capacity(); ++id) {
        if (!t.store.Live(id)) continue;
        const Value& v = t.store.Get(id)[static_cast<std::size_t>(pos)];
        if (IsNull(v) && !nullable) throw errors::NullNotAllowed(c.name, t.name, "UPDATE");
        converted.emplace_back(id, ConvertValue(v, c.type, d.type, ConvertMode::Store));
    }
    c.type = d.type;
    c.nullable = c.identity ? false : nullable;
    std::size_t k = 0;
    t.store.ForEachLiveMutable([&](Row& r) { r[static_cast<std::size_t>(pos)] = std::move(converted[k++].second); });
    t.RebuildStoreIndexes();
}

void DropColumn(Table& t, AlterTableStmt& s) {
    int pos = t.FindColumn(s.name);
    if (pos < 0) throw errors::NoSuchColumnToAlter("DROP COLUMN", s.name, t.name);
    Column& c = t.columns[static_cast<std::size_t>(pos)];
    if (const DefaultConstraint* def = t.DefaultOf(c))
        throw errors::ColumnHasDependents("object", def->name, c.name, "DROP COLUMN");
    for (auto& ix : t.indexes)
        if (std::any_of(ix.columns.begin(), ix.columns.end(), [&](auto& n) { return SameName(n, c.name); }))
            throw errors::ColumnHasDependents(ix.constraintId ? "object" : "index", ix.name, c.name, "DROP COLUMN");
    if (t.columns.size() == 1)
        throw errors::Other(4923, 16, 1,
                            "ALTER TABLE DROP COLUMN failed because '" + c.name + "' is the only data column in table '" +
                                t.name + "'. A table must have at least one data column.");
    if (c.identity) {  // a later identity column starts again from its seed
        t.identityUsed = false;
        t.identityLast = 0;
    }
    t.columns.erase(t.columns.begin() + pos);
    t.store.ForEachLiveMutable([&](Row& r) { r.erase(r.begin() + pos); });
    t.RebuildStoreIndexes();
}

void DropConstraint(Table& t, AlterTableStmt& s) {
    for (std::size_t i = 0; i < t.defaults.size(); ++i) {
        if (!SameName(t.defaults[i].name, s.name)) continue;
        for (auto& c : t.columns)
            if (c.defaultId == t.defaults[i].id) c.defaultId = 0;
        t.defaults.erase(t.defaults.begin() + static_cast<std::ptrdiff_t>(i));
        return;
    }
    for (std::size_t i = 0; i < t.indexes.size(); ++i) {
        if (t.indexes[i].constraintId == 0 || !SameName(t.indexes[i].name, s.name)) continue;
        t.indexes.erase(t.indexes.begin() + static_cast<std::ptrdiff_t>(i));
        t.RebuildStoreIndexes();
        return;
    }
    throw errors::NotAConstraint(s.name);
}

}  // namespace

StatementOutcome ExecAlterTable(StatementEnv& env, AlterTableStmt& s) {
    if (IsSystemTableName(s.table)) throw errors::Other(259, 16, 1, "Ad hoc updates to system catalogs are not allowed.");
    Table* t = env.catalogue.FindTable(s.table);
    if (!t) {
        // SQL Server names the object it cannot find with error 4902 for ALTER TABLE.
        throw errors::Other(4902, 16, 1,
                            "Cannot find the object \"" + s.table +
                                "\" because it does not exist or you do not have permissions.");
    }
    switch (s.action) {
        case AlterTableStmt::Action::AddColumns: AddColumns(env, *t, s); break;
        case AlterTableStmt::Action::AddKey:
            AddIndex(env, *t, KeyIndex(s.key.name, s.key.primary, s.key.clustered, s.key.columns, s.key.fillFactor), true);
            break;
        case AlterTableStmt::Action::AddDefault: {
            int pos = t->FindColumn(s.column);
            if (pos < 0) throw errors::InvalidColumn(s.column);
            AddDefaultConstraint(env, *t, t->columns[static_cast<std::size_t>(pos)], s.name, s.defaultText);
            break;
        }
        case AlterTableStmt::Action::AlterColumn: AlterColumn(*t, s); break;
        case AlterTableStmt::Action::DropColumn: DropColumn(*t, s); break;
        case AlterTableStmt::Action::DropConstraint: DropConstraint(*t, s); break;
    }
    return StatementOutcome{};
}

}  // namespace standin
