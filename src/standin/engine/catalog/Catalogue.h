#pragma once
// The database's catalogue: user tables and the objects that belong to them, object ids (stable,
// never reused), and the names SQL Server generates for unnamed constraints.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "catalog/Schema.h"

namespace standin {

// What a name refers to in sysobjects.
struct ObjectRef {
    enum class Kind { None, System, Table, Key, Default } kind = Kind::None;
    Table* table = nullptr;  // the table, or the table a constraint belongs to
    int id = 0;
};

// Fixed ids of the system tables that the catalogue presents as queryable tables.
inline constexpr int kSysObjectsId = 1;
inline constexpr int kSysIndexesId = 2;
inline constexpr int kSysColumnsId = 3;
inline constexpr int kSysTypesId = 4;
inline constexpr int kSysCommentsId = 6;
inline constexpr int kSysIndexKeysId = 17;
bool IsSystemTableName(std::string_view name);

class Catalogue {
public:
    Table* FindTable(std::string_view name);
    const Table* FindTable(std::string_view name) const;
    ObjectRef FindObject(std::string_view name);  // tables, keys, defaults and system tables

    Table& AddTable(std::unique_ptr<Table> table);
    void DropTable(std::string_view name);

    int NewObjectId();
    std::int64_t ObjectCounter() const { return counter_; }
    void SetObjectCounter(std::int64_t c) { counter_ = c; }

    // Tables in creation order (by object id order of creation).
    std::vector<Table*> Tables();
    std::vector<const Table*> Tables() const;

    static std::string GeneratedDefaultName(std::string_view table, std::string_view column,
                                            int id);
    static std::string GeneratedKeyName(std::string_view table, bool primary, int id);

    std::map<std::string, std::string>& Logins() { return logins_; }  // user key -> password
    const std::map<std::string, std::string>& Logins() const { return logins_; }

private:
    std::vector<std::unique_ptr<Table>> tables_;
    mutable std::size_t lastFound_ = 0;  // where FindTable found a table last (a hint only)
    std::int64_t counter_ = 0;
    std::map<std::string, std::string> logins_;
};

}  // namespace standin
