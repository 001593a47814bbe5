// CREATE TABLE: columns, their defaults and the table's keys, checked before anything is added.
#include "Errors.h"
#include "bind/Binder.h"
#include "exec/Constraints.h"
#include "exec/Executor.h"
#include "exec/TableWrite.h"
#include "types/Collation.h"
#include "types/SqlTypes.h"

namespace standin {

namespace {

void CheckIdentityColumn(const ColumnDef& c, const std::string& table) {
    if (!IsIdentityType(c.type)) throw errors::IdentityType(c.name);
    if (c.nullable && *c.nullable) throw errors::NullableIdentity(c.name, table);
    if (c.increment == 0) throw errors::ZeroIdentityIncrement();
}

// Checks the column definitions in order and binds their defaults (one per column, or null):
// defaults read no columns, and binding checks that now rather than at the first insert.
std::vector<std::shared_ptr<const BoundExpr>> CheckColumns(const CreateTableStmt& s) {
    std::vector<std::shared_ptr<const BoundExpr>> defaults;
    bool identitySeen = false;
    for (std::size_t i = 0; i < s.columns.size(); ++i) {
        const ColumnDef& d = s.columns[i];
        for (std::size_t j = 0; j < i; ++j)
            if (SameName(s.columns[j].name, d.name)) throw errors::DuplicateColumn(d.name, s.table);
        if (d.identity) {
            if (identitySeen) throw errors::MultipleIdentity(s.table);
            identitySeen = true;
            CheckIdentityColumn(d, s.table);
        }
        defaults.push_back(d.defaultExpr ? BindDefault(*d.defaultExpr) : nullptr);
    }
    return defaults;
}

// The table-level keys and the column-level ones, in that order (8110 for a second primary key).
std::vector<KeyDef> KeysOf(const CreateTableStmt& s) {
    std::vector<KeyDef> keys = s.keys;
    for (auto& d : s.columns)
        if (d.primaryKey || d.unique) {
            KeyDef k;
            k.name = d.keyName;
            k.primary = d.primaryKey;
            k.clustered = d.keyClustered;
            k.columns = {d.name};
            keys.push_back(k);
        }
    int primaries = 0;
    for (auto& k : keys)
        if (k.primary) ++primaries;
    if (primaries > 1) throw errors::MultiplePrimaryKeys(s.table);
    return keys;
}

// Key columns that state no nullability become NOT NULL, as SQL Server makes them.
bool InPrimaryKey(const std::vector<KeyDef>& keys, const std::string& column) {
    for (auto& k : keys)
        if (k.primary)
            for (auto& name : k.columns)
                if (SameName(name, column)) return true;
    return false;
}

// Constraints are checked against a table not yet in the catalogue; only names of other objects
// can collide, plus the names within this statement.
class ConstraintNames {
public:
    ConstraintNames(Catalogue& catalogue, const std::string& table)
        : catalogue_(catalogue), table_(table) {}
    void Claim(const std::string& name) {
        if (name.empty()) return;
        for (auto& n : names_)
            if (SameName(n, name)) throw errors::ObjectExists(name);
        if (SameName(name, table_) || catalogue_.FindObject(name).kind != ObjectRef::Kind::None)
            throw errors::ObjectExists(name);
        names_.push_back(name);
    }

private:
    Catalogue& catalogue_;
    const std::string& table_;
    std::vector<std::string> names_;
};

}  // namespace

StatementOutcome ExecCreateTable(StatementEnv& env, const CreateTableStmt& s) {
    if (env.catalogue.FindObject(s.table).kind != ObjectRef::Kind::None)
        throw errors::ObjectExists(s.table);
    if (s.columns.empty()) throw errors::Syntax(")", false, 1);
    std::vector<std::shared_ptr<const BoundExpr>> defaults = CheckColumns(s);
    std::vector<KeyDef> keys = KeysOf(s);

    auto table = std::make_unique<Table>();
    Table& t = *table;
    t.name = s.table;
    t.id = env.catalogue.NewObjectId();
    t.created = env.Now();
    for (auto& d : s.columns) {
        Column c = ColumnFromDef(d, env.session.ansiNullDefaultOn);
        if (!d.nullable && InPrimaryKey(keys, d.name)) c.nullable = false;
        c.colid = t.nextColid++;
        t.columns.push_back(c);
    }
    ConstraintNames names(env.catalogue, s.table);
    for (std::size_t i = 0; i < s.columns.size(); ++i) {
        if (!defaults[i]) continue;
        names.Claim(s.columns[i].defaultName);
        AddDefaultConstraint(env, t, t.columns[i], s.columns[i].defaultName,
                             s.columns[i].defaultText, defaults[i]);
    }
    for (auto& k : keys) {
        names.Claim(k.name);
        AddIndex(env, t, KeyIndex(k.name, k.primary, k.clustered, k.columns, k.fillFactor),
                 IndexKind::KeyConstraint);
    }
    env.catalogue.AddTable(std::move(table));
    return StatementOutcome{};
}

}  // namespace standin
