// ALTER TABLE: add columns, keys and defaults; change a column's type; drop a column or a
// constraint. Every check runs before the first change, so a refused statement changes nothing.
#include <algorithm>

#include "Errors.h"
#include "bind/Binder.h"
#include "exec/Constraints.h"
#include "exec/Executor.h"
#include "exec/TableWrite.h"
#include "types/Collation.h"
#include "types/Convert.h"
#include "types/SqlTypes.h"

namespace standin {

void AddDefaultConstraint(StatementEnv& env, Table& table, Column& column, const std::string& name,
                          const std::string& exprText, std::shared_ptr<const BoundExpr> expr) {
    if (!name.empty() && env.catalogue.FindObject(name).kind != ObjectRef::Kind::None)
        throw errors::CouldNotCreate(errors::ObjectExists(name));
    if (column.defaultId != 0) throw errors::DefaultAlreadyBound();
    if (column.identity)
        throw errors::CouldNotCreate(errors::DefaultOnIdentity(table.name, column.name));
    DefaultConstraint d;
    d.expr = std::move(expr);
    d.id = env.catalogue.NewObjectId();
    d.name = name.empty() ? Catalogue::GeneratedDefaultName(table.name, column.name, d.id) : name;
    d.column = column.name;
    d.exprText = exprText;
    d.created = env.Now();
    column.defaultId = d.id;
    table.defaults.push_back(std::move(d));
}

namespace {

using BoundDefaults = std::vector<std::shared_ptr<const BoundExpr>>;

// Checks the new columns against the table and each other; binds their defaults (one per column,
// or null).
BoundDefaults CheckNewColumns(StatementEnv& env, const Table& t, const AlterTableStmt& s) {
    BoundDefaults defaults;
    for (std::size_t i = 0; i < s.columns.size(); ++i) {
        const ColumnDef& d = s.columns[i];
        if (t.FindColumn(d.name) >= 0) throw errors::DuplicateColumn(d.name, t.name);
        for (std::size_t j = 0; j < i; ++j)
            if (SameName(s.columns[j].name, d.name)) throw errors::DuplicateColumn(d.name, t.name);
        if (d.identity) {
            for (auto& c : t.columns)
                if (c.identity) throw errors::MultipleIdentity(t.name);
            if (!IsIdentityType(d.type)) throw errors::IdentityType(d.name);
        }
        defaults.push_back(d.defaultExpr ? BindDefault(*d.defaultExpr) : nullptr);
        if (d.defaultExpr && d.identity) throw errors::DefaultOnIdentity(t.name, d.name);
        if (!d.defaultName.empty() &&
            env.catalogue.FindObject(d.defaultName).kind != ObjectRef::Kind::None)
            throw errors::ObjectExists(d.defaultName);
        bool nullable = d.identity   ? false
                        : d.nullable ? *d.nullable
                                     : env.session.ansiNullDefaultOn;
        if (!nullable && !d.defaultExpr && !d.identity && t.store.Count() > 0)
            throw errors::NotNullColumnOnNonEmptyTable(d.name, t.name);
    }
    return defaults;
}

// The new columns with the values the rows already there take: the default only for a NOT NULL
// column (or WITH VALUES).
std::vector<Column> NewColumns(StatementEnv& env, const Table& t, const AlterTableStmt& s,
                               const BoundDefaults& defaults, std::vector<Value>& fill) {
    std::vector<Column> columns;
    for (std::size_t i = 0; i < s.columns.size(); ++i) {
        Column c = ColumnFromDef(s.columns[i], env.session.ansiNullDefaultOn);
        Value v;
        if (defaults[i] && (!c.nullable || s.withValues)) {
            Evaluator ev(env);
            v = StoreValue(ev.Eval(*defaults[i], nullptr), defaults[i]->type, c);
            if (IsNull(v) && !c.nullable)
                throw errors::NullNotAllowed(c.name, t.name, "ALTER TABLE");
        }
        columns.push_back(c);
        fill.push_back(v);
    }
    return columns;
}

// What ADD may change, kept to put the table back when a later part of the statement fails.
struct TableShape {
    std::size_t columns, defaults, indexes;
    int nextColid;
    bool identityUsed;
    std::int64_t identityLast;

    explicit TableShape(const Table& t)
        : columns(t.columns.size()),
          defaults(t.defaults.size()),
          indexes(t.indexes.size()),
          nextColid(t.nextColid),
          identityUsed(t.identityUsed),
          identityLast(t.identityLast) {}

    void Restore(Table& t) const {
        t.columns.resize(columns);
        t.defaults.resize(defaults);
        t.indexes.resize(indexes);
        t.nextColid = nextColid;
        t.identityUsed = identityUsed;
        t.identityLast = identityLast;
        t.store.ForEachLiveMutable([&](Row& r) { r.resize(columns); });
        t.RebuildStoreIndexes();
    }
};

// Adds checked columns: their defaults, their values in every row, then their keys. Identity
// values and keys can still fail here.
void ApplyNewColumns(StatementEnv& env, Table& t, const AlterTableStmt& s,
                     const BoundDefaults& defaults, const std::vector<Column>& newColumns,
                     const std::vector<Value>& fill) {
    std::size_t first = t.columns.size();
    for (Column c : newColumns) {
        c.colid = t.nextColid++;
        t.columns.push_back(c);
    }
    for (std::size_t i = 0; i < s.columns.size(); ++i)
        if (defaults[i])
            AddDefaultConstraint(env, t, t.columns[first + i], s.columns[i].defaultName,
                                 s.columns[i].defaultText, defaults[i]);
    std::size_t identityAt = SIZE_MAX;
    for (std::size_t i = 0; i < newColumns.size(); ++i)
        if (newColumns[i].identity) identityAt = first + i;
    // The new columns go after the others: no index's columns move and no key changes, so the
    // indexes stay as they are (rebuilding them took as long as widening the rows). An index
    // on a new column comes below, with its constraint.
    if (identityAt == SIZE_MAX)
        t.store.AppendColumns(fill);  // the same values in every row, added as bytes
    else
        t.store.ForEachLiveMutable([&](Row& r) {
            for (auto& v : fill) r.push_back(v);
            r[identityAt] = NextIdentity(t, t.columns[identityAt]);
        });
    for (const ColumnDef& d : s.columns)
        if (d.primaryKey || d.unique)
            AddIndex(env, t, KeyIndex(d.keyName, d.primaryKey, d.keyClustered, {d.name}),
                     IndexKind::KeyConstraint);
}

void AddColumns(StatementEnv& env, Table& t, const AlterTableStmt& s) {
    BoundDefaults defaults = CheckNewColumns(env, t, s);
    std::vector<Value> fill;
    std::vector<Column> newColumns = NewColumns(env, t, s, defaults, fill);
    TableShape before(t);
    try {
        ApplyNewColumns(env, t, s, defaults, newColumns, fill);
    } catch (...) {
        before.Restore(t);
        throw;
    }
}

// Whether an index on the column allows this change of type (SQL Server: only a varchar that keeps
// or grows its length, or no change of type at all).
bool IndexAllows(const SqlType& from, const SqlType& to) {
    if (from.id == to.id && from.length == to.length && from.precision == to.precision &&
        from.scale == to.scale)
        return true;
    return from.id == TypeId::VarChar && to.id == TypeId::VarChar && to.length >= from.length;
}

void AlterColumn(Table& t, const AlterTableStmt& s) {
    const ColumnDef& d = s.columns[0];
    int pos = t.FindColumn(d.name);
    if (pos < 0) throw errors::NoSuchColumnToAlter("ALTER COLUMN", d.name, t.name);
    Column& c = t.columns[static_cast<std::size_t>(pos)];
    // Nullability not stated: ALTER COLUMN always makes the column nullable.
    bool nullable = d.nullable ? *d.nullable : true;
    bool keyed = false;  // a declared index covers the column
    for (auto& ix : t.indexes) {
        bool uses = std::any_of(ix.columns.begin(), ix.columns.end(),
                                [&](auto& n) { return SameName(n, c.name); });
        if (!uses) continue;
        keyed = true;
        bool allowed = IndexAllows(c.type, d.type) && !(ix.primaryKey && nullable);
        if (!allowed)
            throw errors::ColumnHasDependents(ix.constraintId ? "object" : "index", ix.name, c.name,
                                              "ALTER COLUMN");
    }
    if (const DefaultConstraint* def = t.DefaultOf(c)) {
        bool sameKind = c.type.id == d.type.id;
        if (!sameKind)
            throw errors::ColumnHasDependents("object", def->name, c.name, "ALTER COLUMN");
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
        const Value v = t.store.Cell(id, pos);
        if (IsNull(v) && !nullable) throw errors::NullNotAllowed(c.name, t.name, "UPDATE");
        converted.emplace_back(id, ConvertValue(v, c.type, d.type, ConvertMode::Store));
    }
    c.type = d.type;
    c.nullable = c.identity ? false : nullable;
    const std::vector<int> column{pos};
    for (auto& [id, value] : converted) t.store.ReplaceColumns(id, column, {std::move(value)});
    if (keyed)
        t.RebuildStoreIndexes();
    else
        t.store.ColumnConverted(pos);
}

void DropColumn(Table& t, const AlterTableStmt& s) {
    int pos = t.FindColumn(s.name);
    if (pos < 0) throw errors::NoSuchColumnToAlter("DROP COLUMN", s.name, t.name);
    Column& c = t.columns[static_cast<std::size_t>(pos)];
    if (const DefaultConstraint* def = t.DefaultOf(c))
        throw errors::ColumnHasDependents("object", def->name, c.name, "DROP COLUMN");
    for (auto& ix : t.indexes)
        if (std::any_of(ix.columns.begin(), ix.columns.end(),
                        [&](auto& n) { return SameName(n, c.name); }))
            throw errors::ColumnHasDependents(ix.constraintId ? "object" : "index", ix.name, c.name,
                                              "DROP COLUMN");
    if (t.columns.size() == 1) throw errors::OnlyDataColumn(c.name, t.name);
    if (c.identity) {  // a later identity column starts again from its seed
        t.identityUsed = false;
        t.identityLast = 0;
    }
    t.columns.erase(t.columns.begin() + pos);
    t.store.DropColumn(pos);
}

void DropConstraint(Table& t, const AlterTableStmt& s) {
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

StatementOutcome ExecAlterTable(StatementEnv& env, const AlterTableStmt& s) {
    if (IsSystemTableName(s.table)) throw errors::SystemCatalogUpdate();
    Table* t = env.catalogue.FindTable(s.table);
    if (!t) {
        // SQL Server names the object it cannot find with error 4902 for ALTER TABLE.
        throw errors::CannotFindObject(4902, 1, s.table);
    }
    switch (s.action) {
        case AlterTableStmt::Action::AddColumns:
            AddColumns(env, *t, s);
            break;
        case AlterTableStmt::Action::AddKey:
            AddIndex(env, *t,
                     KeyIndex(s.key.name, s.key.primary, s.key.clustered, s.key.columns,
                              s.key.fillFactor),
                     IndexKind::KeyConstraint);
            break;
        case AlterTableStmt::Action::AddDefault: {
            int pos = t->FindColumn(s.column);
            if (pos < 0) throw errors::InvalidColumn(s.column);
            AddDefaultConstraint(env, *t, t->columns[static_cast<std::size_t>(pos)], s.name,
                                 s.defaultText, BindDefault(*s.defaultExpr));
            break;
        }
        case AlterTableStmt::Action::AlterColumn:
            AlterColumn(*t, s);
            break;
        case AlterTableStmt::Action::DropColumn:
            DropColumn(*t, s);
            break;
        case AlterTableStmt::Action::DropConstraint:
            DropConstraint(*t, s);
            break;
    }
    return StatementOutcome{};
}

}  // namespace standin
