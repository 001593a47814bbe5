// Binding of UPDATE and DELETE: the table, the assigned columns (207, 264, 8102) and the
// expressions over the table's rows.
#include "Errors.h"
#include "bind/Binder.h"
#include "catalog/Catalogue.h"

namespace standin {
namespace {

BindScope RowsOf(const Table& t) {
    BindScope scope;
    scope.columns = &t.columns;
    scope.tableName = t.name;
    return scope;
}

}  // namespace

Table& TableForWrite(Catalogue& catalogue, const std::string& name) {
    if (IsSystemTableName(name)) throw errors::SystemCatalogUpdate();
    Table* t = catalogue.FindTable(name);
    if (!t) throw errors::InvalidObject(name);
    return *t;
}

BoundUpdate Binder::Update(const UpdateStmt& s) {
    BoundUpdate b;
    b.table = &TableForWrite(catalogue_, s.table);
    const Table& t = *b.table;
    BindScope scope = RowsOf(t);
    for (auto& [name, expr] : s.assignments) {
        int c = t.FindColumn(name);
        if (c < 0) throw errors::InvalidColumn(name);
        const Column& column = t.columns[static_cast<std::size_t>(c)];
        for (int prev : b.targets)
            if (prev == c) throw errors::ColumnInListTwice(column.name);
        if (column.identity) throw errors::UpdateIdentity(column.name);
        b.targets.push_back(c);
        b.values.push_back(Expression(*expr, scope));
    }
    if (s.where) b.where = Expression(*s.where, scope);
    return b;
}

BoundDelete Binder::Delete(const DeleteStmt& s) {
    BoundDelete b;
    b.table = &TableForWrite(catalogue_, s.table);
    if (s.where) b.where = Expression(*s.where, RowsOf(*b.table));
    return b;
}

}  // namespace standin
