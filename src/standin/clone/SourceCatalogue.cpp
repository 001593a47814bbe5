#include "clone/SourceCatalogue.h"

#include "types/Collation.h"

namespace standin::clone {

std::string SourceColumn::TypeText() const {
    if (type == "char" || type == "varchar") return type + "(" + std::to_string(length) + ")";
    if (type == "numeric" || type == "decimal")
        return type + "(" + std::to_string(precision) + "," + std::to_string(scale) + ")";
    return type;
}

const SourceColumn* SourceTable::IdentityColumn() const {
    for (const SourceColumn& c : columns)
        if (c.identity) return &c;
    return nullptr;
}

const SourceTable* SourceCatalogue::FindTable(const std::string& name) const {
    for (const SourceTable& t : tables)
        if (SameName(t.name, name)) return &t;
    return nullptr;
}

bool BelongsToTheUpgrade(const std::string& table) {
    return (table.size() > 4 && SameName(table.substr(0, 4), "lib_")) ||
           SameName(table, "ver_manage");
}

bool SpoilsRehearsal(const Unreproduced& u) {
    if (u.kind == "table") return BelongsToTheUpgrade(u.name);
    if (u.kind == "trigger" || u.kind == "foreign key" || u.kind == "check constraint" ||
        u.kind == "default" || u.kind == "rows")
        return BelongsToTheUpgrade(u.table);
    return false;
}

}  // namespace standin::clone
