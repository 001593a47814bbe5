// Binding of DELETE: the table and the condition over its rows.
#include "bind/Binder.h"

namespace standin {

BoundDelete Binder::Delete(const DeleteStmt& s) {
    BoundDelete b;
    b.table = &TableForWrite(catalogue_, s.table);
    if (s.where) b.where = Expression(*s.where, RowsOf(*b.table));
    return b;
}

}  // namespace standin
