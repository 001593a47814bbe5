// CREATE TABLE: columns, their defaults and the table's keys, checked before anything is added.
#include "types/Collation.h"
#include "Errors.h"
#include "exec/Executor.h"
#include "types/SqlTypes.h"
#include "exec/TableWrite.h"

namespace standin {

namespace {

void CheckIdentityColumn(const ColumnDef& c, const std::string& table) {
    if (!IsIdentityType(c.type)) throw errors::IdentityType(c.name);
    if (c.nullable && *c.nullable)
        throw errors::Other(8147, 16, 1,
                            "Could not create IDENTITY attribute on nullable column '" + c.name + "', table '" + table + "'.");
    if (c.increment == 0) throw errors::Other(8136, 16, 1, "Identity increment cannot be zero.", false);
}

}  // namespace

StatementOutcome ExecCreateTable(StatementEnv& env, CreateTableStmt& s) {
    if (env.catalogue.FindObject(s.table).kind != ObjectRef::Kind::None) throw errors::ObjectExists(s.table);
    if (s.columns.empty()) throw errors::Syntax(")", false, 1);
    auto table = std::make_unique<Table>();
    table->name = s.table;
    bool identitySeen = false;
    for (std::size_t i = 0; i < s.columns.size(); ++i) {
        ColumnDef& d = s.columns[i];
        for (std::size_t j = 0; j < i; ++j)
            if (SameName(s.columns[j].name, d.name)) throw errors::DuplicateColumn(d.name, s.table);
        if (d.identity) {
            if (identitySeen) throw errors::MultipleIdentity(s.table);
            identitySeen = true;
            CheckIdentityColumn(d, s.table);
        }
        // Defaults read no columns; binding checks that now rather than at the first insert.
        if (d.defaultExpr) BindDefault(env, *d.defaultExpr);
    }
    // Key columns that state no nullability become NOT NULL, as SQL Server makes them.
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
    for (auto& k : keys) {
        if (k.primary) ++primaries;
        if (!k.primary) continue;
        for (auto& name : k.columns)
            for (auto& d : s.columns)
                if (SameName(d.name, name) && !d.nullable) d.nullable = false;
    }
    if (primaries > 1) throw errors::MultiplePrimaryKeys(s.table);

    table->id = env.catalogue.NewObjectId();
    table->created = env.Now();
    for (auto& d : s.columns) {
        Column c = ColumnFromDef(d, env.session.ansiNullDefaultOn);
        c.colid = table->nextColid++;
        table->columns.push_back(c);
    }
    Table& t = *table;
    // Constraints are checked against a table not yet in the catalogue; only names of other
    // objects can collide, plus the names within this statement.
    std::vector<std::string> names;
    auto claim = [&](const std::string& name) {
        if (name.empty()) return;
        for (auto& n : names)
            if (SameName(n, name)) throw errors::ObjectExists(name);
        if (SameName(name, s.table) || env.catalogue.FindObject(name).kind != ObjectRef::Kind::None)
            throw errors::ObjectExists(name);
        names.push_back(name);
    };
    for (std::size_t i = 0; i < s.columns.size(); ++i) {
        if (!s.columns[i].defaultExpr) continue;
        claim(s.columns[i].defaultName);
        AddDefaultConstraint(env, t, t.columns[i], s.columns[i].defaultName, s.columns[i].defaultText);
    }
    for (auto& k : keys) {
        claim(k.name);
        AddIndex(env, t, KeyIndex(k.name, k.primary, k.clustered, k.columns, k.fillFactor), true);
    }
    env.catalogue.AddTable(std::move(table));
    return StatementOutcome{};
}

}  // namespace standin
