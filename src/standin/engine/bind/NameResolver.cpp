#include "bind/NameResolver.h"

#include "Errors.h"
#include "catalog/SystemTables.h"
#include "types/Collation.h"

namespace standin {

SourceTable FindSource(const Catalogue& catalogue, std::string_view name) {
    SourceTable s;
    s.system = MaterializeSystemTable(name, catalogue);
    s.table = s.system ? s.system.get() : catalogue.FindTable(name);
    return s;
}

BindScope RowsOf(const Table& table) {
    BindScope scope;
    scope.columns = &table.columns;
    scope.tableName = table.name;
    return scope;
}

Table& TableForWrite(Catalogue& catalogue, const std::string& name) {
    if (IsSystemTableName(name)) throw errors::SystemCatalogUpdate();
    Table* t = catalogue.FindTable(name);
    if (!t) throw errors::InvalidObject(name);
    return *t;
}

int ResolveColumn(const BindScope& scope, const std::string& qualifier, const std::string& name) {
    if (scope.valuesList) throw errors::ColumnNotPermitted(name);
    if (!qualifier.empty() && !SameName(qualifier, scope.tableName) &&
        (scope.tableAlias.empty() || !SameName(qualifier, scope.tableAlias)))
        throw errors::MultiPartNotBound(qualifier + "." + name);
    int position = scope.columns ? ColumnPosition(*scope.columns, name) : -1;
    if (position < 0) throw errors::InvalidColumn(name);
    return position;
}

}  // namespace standin
