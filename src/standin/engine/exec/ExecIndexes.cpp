// Keys, indexes and default constraints: the checks and the catalogue entries they make.
#include <algorithm>

#include "types/Collation.h"
#include "Errors.h"
#include "exec/Executor.h"
#include "exec/TableWrite.h"

namespace standin {

Table& TableForWrite(StatementEnv& env, const std::string& name) {
    if (IsSystemTableName(name))
        throw errors::Other(259, 16, 1, "Ad hoc updates to system catalogs are not allowed.");
    Table* t = env.catalogue.FindTable(name);
    if (!t) throw errors::InvalidObject(name);
    return *t;
}

void AddIndex(StatementEnv& env, Table& table, IndexDef def, bool isConstraint) {
    auto couldNot = [&](SqlError e) {
        if (isConstraint)
            e.Messages().push_back(
                SqlMessage{1750, 0, 16, "Could not create constraint or index. See previous errors.", 1});
        return e;
    };
    if (isConstraint && !def.name.empty() && env.catalogue.FindObject(def.name).kind != ObjectRef::Kind::None)
        throw couldNot(errors::ObjectExists(def.name));
    if (!isConstraint && table.FindIndex(def.name) >= 0) throw errors::IndexExists(def.name, table.name);
    if (def.primaryKey)
        for (auto& ix : table.indexes)
            if (ix.primaryKey) throw errors::MultiplePrimaryKeys(table.name);
    if (def.clustered)
        for (auto& ix : table.indexes)
            if (ix.clustered) {
                SqlError e = errors::Other(1902, 16, 3,
                                           "Cannot create more than one clustered index on table '" + table.name +
                                               "'. Drop the existing clustered index '" + ix.name +
                                               "' before creating another.");
                throw couldNot(std::move(e));
            }
    for (std::size_t i = 0; i < def.columns.size(); ++i) {
        int c = table.FindColumn(def.columns[i]);
        if (c < 0) {
            throw couldNot(errors::Other(1911, 16, 1,
                                         "Column name '" + def.columns[i] + "' does not exist in the target table or view."));
        }
        def.columns[i] = table.columns[static_cast<std::size_t>(c)].name;
        for (std::size_t j = 0; j < i; ++j)
            if (SameName(def.columns[j], def.columns[i]))
                throw couldNot(errors::Other(1909, 16, 1,
                                             "Cannot use duplicate column names in index. Column name '" + def.columns[i] +
                                                 "' listed more than once."));
        if (def.primaryKey && table.columns[static_cast<std::size_t>(c)].nullable) throw errors::KeyOnNullableColumn(table.name);
        if (table.columns[static_cast<std::size_t>(c)].type.id == TypeId::Text)
            throw couldNot(errors::Other(1919, 16, 1,
                                         "Column '" + def.columns[i] + "' in table '" + table.name +
                                             "' is of a type that is invalid for use as a key column in an index."));
    }
    if (isConstraint) {
        def.constraintId = env.catalogue.NewObjectId();
        if (def.name.empty()) def.name = Catalogue::GeneratedKeyName(table.name, def.primaryKey, def.constraintId);
    }
    int indid = 2;
    for (auto& ix : table.indexes) indid = std::max(indid, ix.indid + 1);
    def.indid = def.clustered ? 1 : indid;
    def.created = env.Now();
    // Build the index aside first: a duplicate leaves the table as it was.
    HashIndex h;
    h.name = def.name;
    h.columns = table.ColumnPositions(def);
    if (def.unique) {
        std::unordered_map<std::string, RowId> seen;
        for (RowId id = 0; id < table.store.Capacity(); ++id) {
            if (!table.store.Live(id)) continue;
            std::string key = table.store.KeyOf(h, table.store.Get(id));
            if (!seen.emplace(key, id).second)
                throw errors::DuplicateWhileCreatingKey(table.name, def.name, KeyValueText(table, def, table.store.Get(id)),
                                                        isConstraint);
        }
    }
    table.indexes.push_back(std::move(def));
    table.RebuildStoreIndexes();
}

void AddDefaultConstraint(StatementEnv& env, Table& table, Column& column, const std::string& name,
                          const std::string& exprText) {
    if (!name.empty() && env.catalogue.FindObject(name).kind != ObjectRef::Kind::None) {
        SqlError e = errors::ObjectExists(name);
        e.Messages().push_back(SqlMessage{1750, 0, 16, "Could not create constraint or index. See previous errors.", 1});
        throw e;
    }
    if (column.defaultId != 0) {
        throw SqlError({SqlMessage{1781, 1, 16, "Column already has a DEFAULT bound to it.", 1},
                        SqlMessage{1750, 0, 16, "Could not create constraint or index. See previous errors.", 1}},
                       false);
    }
    if (column.identity) {
        throw SqlError({SqlMessage{1754, 0, 16,
                                   "Defaults cannot be created on columns with an IDENTITY attribute. Table '" +
                                       table.name + "', column '" + column.name + "'.",
                                   1},
                        SqlMessage{1750, 0, 16, "Could not create constraint or index. See previous errors.", 1}},
                       false);
    }
    DefaultConstraint d;
    d.expr = ParseDefault(exprText);
    BindDefault(env, const_cast<Expr&>(*d.expr));
    d.id = env.catalogue.NewObjectId();
    d.name = name.empty() ? Catalogue::GeneratedDefaultName(table.name, column.name, d.id) : name;
    d.column = column.name;
    d.exprText = exprText;
    d.created = env.Now();
    column.defaultId = d.id;
    table.defaults.push_back(std::move(d));
}

StatementOutcome ExecCreateIndex(StatementEnv& env, CreateIndexStmt& s) {
    Table* t = IsSystemTableName(s.table) ? nullptr : env.catalogue.FindTable(s.table);
    if (!t)
        throw errors::Other(1088, 16, 12,
                            "Cannot find the object \"" + s.table + "\" because it does not exist or you do not have permissions.");
    IndexDef def;
    def.name = s.name;
    def.unique = s.unique;
    def.clustered = s.clustered;
    def.columns = s.columns;
    def.fillFactor = s.fillFactor;
    AddIndex(env, *t, std::move(def), false);
    return StatementOutcome{};
}

StatementOutcome ExecDropTable(StatementEnv& env, DropTableStmt& s) {
    for (auto& name : s.tables)
        if (!env.catalogue.FindTable(name) || IsSystemTableName(name)) throw errors::CannotDropTable(name);
    for (auto& name : s.tables) env.catalogue.DropTable(name);
    return StatementOutcome{};
}

}  // namespace standin
