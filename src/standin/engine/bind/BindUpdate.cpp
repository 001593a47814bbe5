// Binding of UPDATE: the table, the assigned columns (207, 264, 8102) and the expressions over
// the table's rows.
#include "Errors.h"
#include "bind/Binder.h"

namespace standin {

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

}  // namespace standin
