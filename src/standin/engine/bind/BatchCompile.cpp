#include "bind/BatchCompile.h"

#include <map>
#include <memory>

#include "Errors.h"
#include "bind/NameResolver.h"
#include "types/Collation.h"

namespace standin {
namespace {

// The columns of a table as the batch finds it; null when the table does not exist yet. A system
// table is materialized once per batch.
class Resolver {
public:
    explicit Resolver(const Catalogue& c) : catalogue_(c) {}

    const std::vector<Column>* ColumnsOf(const std::string& table) {
        if (!IsSystemTableName(table)) {
            const Table* t = catalogue_.FindTable(table);
            return t ? &t->columns : nullptr;
        }
        SourceTable& slot = system_[NameKey(table)];
        if (!slot.table) slot = FindSource(catalogue_, table);
        return &slot.table->columns;
    }

private:
    const Catalogue& catalogue_;
    std::map<std::string, SourceTable> system_;
};

bool HasColumn(const std::vector<Column>& cols, const std::string& name) {
    return ColumnPosition(cols, name) >= 0;
}

void CheckSelect(const SelectStmt& s, Resolver& r);

// aliases: select-list names that an ORDER BY may use instead of columns.
void CheckExpr(const Expr* e, const std::vector<Column>& cols, Resolver& r,
               const std::vector<std::string>* aliases = nullptr) {
    if (!e) return;
    if (e->kind == Expr::Kind::Column && e->qualifier.empty()) {
        if (aliases)
            for (auto& a : *aliases)
                if (SameName(a, e->name)) return;
        if (!HasColumn(cols, e->name)) throw errors::InvalidColumn(e->name);
    }
    if (e->subquery) CheckSelect(*e->subquery, r);
    for (auto& a : e->args) CheckExpr(a.get(), cols, r);
}

void CheckSelect(const SelectStmt& s, Resolver& r) {
    if (s.from.empty()) {
        for (auto& it : s.items)
            if (it.expr && it.expr->subquery) CheckSelect(*it.expr->subquery, r);
        return;
    }
    const std::vector<Column>* cols = r.ColumnsOf(s.from);
    if (!cols) return;  // resolved when the statement runs
    std::vector<std::string> aliases;
    for (auto& it : s.items) {
        CheckExpr(it.expr.get(), *cols, r);
        if (!it.alias.empty()) aliases.push_back(it.alias);
    }
    CheckExpr(s.where.get(), *cols, r);
    for (auto& g : s.groupBy) CheckExpr(g.get(), *cols, r);
    CheckExpr(s.having.get(), *cols, r);
    for (auto& o : s.orderBy) CheckExpr(o.expr.get(), *cols, r, &aliases);
}

void CheckStatement(const Statement& st, Resolver& r) {
    if (auto* s = std::get_if<SelectStmt>(&st.body)) {
        CheckSelect(*s, r);
    } else if (auto* s = std::get_if<InsertStmt>(&st.body)) {
        if (const std::vector<Column>* cols = r.ColumnsOf(s->table))
            for (auto& name : s->columns)
                if (!HasColumn(*cols, name)) throw errors::InvalidColumn(name);
        if (s->select) CheckSelect(*s->select, r);
    } else if (auto* s = std::get_if<UpdateStmt>(&st.body)) {
        if (const std::vector<Column>* cols = r.ColumnsOf(s->table)) {
            for (auto& [name, expr] : s->assignments) {
                if (!HasColumn(*cols, name)) throw errors::InvalidColumn(name);
                CheckExpr(expr.get(), *cols, r);
            }
            CheckExpr(s->where.get(), *cols, r);
        }
    } else if (auto* s = std::get_if<DeleteStmt>(&st.body)) {
        if (const std::vector<Column>* cols = r.ColumnsOf(s->table))
            CheckExpr(s->where.get(), *cols, r);
    }
}

}  // namespace

void CheckBatchColumns(const std::vector<Statement>& statements, const Catalogue& catalogue) {
    Resolver r(catalogue);
    for (const Statement& st : statements) {
        try {
            CheckStatement(st, r);
        } catch (SqlError& e) {
            for (auto& m : e.Messages()) m.line = st.line;
            throw;
        }
    }
}

}  // namespace standin
