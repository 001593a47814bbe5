// CREATE INDEX, and the checks and catalogue entries of every key and index (CREATE TABLE and
// ALTER TABLE add theirs here too).
#include <algorithm>
#include <unordered_map>

#include "Errors.h"
#include "exec/Constraints.h"
#include "exec/Executor.h"
#include "exec/TableWrite.h"
#include "types/Collation.h"

namespace standin {

void AddIndex(StatementEnv& env, Table& table, IndexDef def, IndexKind kind) {
    const bool isConstraint = kind == IndexKind::KeyConstraint;
    auto couldNot = [&](SqlError e) {
        return isConstraint ? errors::CouldNotCreate(std::move(e)) : e;
    };
    if (isConstraint && !def.name.empty() &&
        env.catalogue.FindObject(def.name).kind != ObjectRef::Kind::None)
        throw couldNot(errors::ObjectExists(def.name));
    if (!isConstraint && table.FindIndex(def.name) >= 0)
        throw errors::IndexExists(def.name, table.name);
    if (def.primaryKey)
        for (auto& ix : table.indexes)
            if (ix.primaryKey) throw errors::MultiplePrimaryKeys(table.name);
    if (def.clustered)
        for (auto& ix : table.indexes)
            if (ix.clustered) {
                throw couldNot(errors::SecondClusteredIndex(table.name, ix.name));
            }
    for (std::size_t i = 0; i < def.columns.size(); ++i) {
        int c = table.FindColumn(def.columns[i]);
        if (c < 0) {
            throw couldNot(errors::NoSuchKeyColumn(def.columns[i]));
        }
        def.columns[i] = table.columns[static_cast<std::size_t>(c)].name;
        for (std::size_t j = 0; j < i; ++j)
            if (SameName(def.columns[j], def.columns[i]))
                throw couldNot(errors::DuplicateKeyColumn(def.columns[i]));
        if (def.primaryKey && table.columns[static_cast<std::size_t>(c)].nullable)
            throw errors::KeyOnNullableColumn(table.name);
        if (table.columns[static_cast<std::size_t>(c)].type.id == TypeId::Text)
            throw couldNot(errors::InvalidKeyColumnType(def.columns[i], table.name));
    }
    if (isConstraint) {
        def.constraintId = env.catalogue.NewObjectId();
        if (def.name.empty())
            def.name = Catalogue::GeneratedKeyName(table.name, def.primaryKey, def.constraintId);
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
        Row row;
        for (RowId id = 0; id < table.store.Capacity(); ++id) {
            if (!table.store.Live(id)) continue;
            table.store.Read(id, row);
            std::string key = table.store.KeyOf(h, row);
            if (!seen.emplace(key, id).second)
                throw errors::DuplicateWhileCreatingKey(
                    table.name, def.name, KeyValueText(table, def, row), isConstraint);
        }
    }
    table.indexes.push_back(std::move(def));
    table.RebuildStoreIndexes();
}

StatementOutcome ExecCreateIndex(StatementEnv& env, const CreateIndexStmt& s) {
    Table* t = IsSystemTableName(s.table) ? nullptr : env.catalogue.FindTable(s.table);
    if (!t) throw errors::CannotFindObject(1088, 12, s.table);
    IndexDef def;
    def.name = s.name;
    def.unique = s.unique;
    def.clustered = s.clustered;
    def.columns = s.columns;
    def.fillFactor = s.fillFactor;
    AddIndex(env, *t, std::move(def), IndexKind::PlainIndex);
    return StatementOutcome{};
}

}  // namespace standin
