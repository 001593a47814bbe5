// Binding of SELECT: the source table, * expanded, the select list, WHERE, GROUP BY, HAVING and
// ORDER BY bound, and the checks SQL Server makes before it reads a row (8120, 306, 421, 145).
#include "Errors.h"
#include "bind/Binder.h"
#include "types/Collation.h"
#include "types/KeyEncoding.h"
#include "types/SqlTypes.h"

namespace standin {
namespace {

using BK = BoundExpr::Kind;

// Whether two bound expressions are the same computation (a select item that repeats a GROUP BY
// expression, such as year(d) in both).
bool SameExpr(const BoundExpr& a, const BoundExpr& b) {
    if (a.kind != b.kind || !SameName(a.name, b.name) || a.column != b.column ||
        a.negated != b.negated || a.distinct != b.distinct || a.args.size() != b.args.size())
        return false;
    switch (a.kind) {
        case BK::Literal:
            if (EncodeKey({a.literal}) != EncodeKey({b.literal})) return false;
            break;
        case BK::Cast:
            if (TypeDeclaration(a.castType) != TypeDeclaration(b.castType)) return false;
            break;
        case BK::Arith:
            if (a.arith != b.arith) return false;
            break;
        case BK::Compare:
            if (a.compare != b.compare) return false;
            break;
        case BK::Variable:
            if (a.variable != b.variable) return false;
            break;
        case BK::Function:
            if (a.function != b.function) return false;
            break;
        case BK::Aggregate:
            if (a.aggregate != b.aggregate) return false;
            break;
        case BK::InSelect:
            return false;
        default:
            break;
    }
    for (std::size_t i = 0; i < a.args.size(); ++i)
        if (!SameExpr(*a.args[i], *b.args[i])) return false;
    return true;
}

// Checks that outside aggregates the expression reads only grouped columns or grouped
// expressions (8120).
void CheckGrouped(const BoundExpr& e, const std::vector<BoundExprPtr>& groupBy,
                  const std::string& table) {
    if (e.kind == BK::Aggregate) return;
    for (auto& g : groupBy)
        if (SameExpr(*g, e)) return;
    if (e.kind == BK::Column) throw errors::NotInGroupBy(table, e.name);
    for (auto& a : e.args)
        if (a) CheckGrouped(*a, groupBy, table);
}

// The select list with * expanded: the expressions to bind and the result columns' names.
struct ListEntry {
    const Expr* expr;
    std::unique_ptr<Expr> owned;  // a column of an expanded *
    std::string name;
};

std::vector<ListEntry> ExpandList(const SelectStmt& s, const Table* table) {
    std::vector<ListEntry> list;
    for (auto& it : s.items) {
        if (!it.star) {
            std::string name = !it.alias.empty()                     ? it.alias
                               : it.expr->kind == Expr::Kind::Column ? it.expr->name
                                                                     : std::string();
            list.push_back(ListEntry{it.expr.get(), nullptr, std::move(name)});
            continue;
        }
        if (!table) throw errors::NoTableForStar();
        for (const Column& c : table->columns) {
            auto column = std::make_unique<Expr>();
            column->kind = Expr::Kind::Column;
            column->name = c.name;
            const Expr* e = column.get();
            list.push_back(ListEntry{e, std::move(column), c.name});
        }
    }
    return list;
}

// An ORDER BY item: a select-list position or name, else an expression over the source.
int SortItemOf(const Expr& e, const BoundSelect& b) {
    if (e.kind == Expr::Kind::Literal && std::holds_alternative<std::int64_t>(e.literal)) {
        std::int64_t pos = std::get<std::int64_t>(e.literal);
        if (pos < 1 || pos > static_cast<std::int64_t>(b.items.size()))
            throw errors::OrderByPositionOutOfRange(pos);
        return static_cast<int>(pos - 1);
    }
    if (e.kind == Expr::Kind::Column)
        for (std::size_t i = 0; i < b.items.size(); ++i)
            if (!b.items[i].name.empty() && SameName(b.items[i].name, e.name))
                return static_cast<int>(i);
    return -1;
}

// text values are not comparable: they cannot be sorted, grouped or made distinct.
void CheckComparable(const BoundSelect& b) {
    auto refuseText = [](const SqlType& t) {
        if (t.id == TypeId::Text) throw errors::TextNotComparable();
    };
    for (auto& g : b.groupBy) refuseText(g->type);
    for (auto& k : b.sorts) refuseText(k.Type(b));
    if (b.distinct)
        for (auto& item : b.items)
            if (item.expr->type.id == TypeId::Text) throw errors::TextNotDistinct();
}

}  // namespace

std::shared_ptr<const BoundSelect> Binder::Select(const SelectStmt& s) {
    auto b = std::make_shared<BoundSelect>();
    BindScope scope;
    if (!s.from.empty()) {
        SourceTable source = FindSource(catalogue_, s.from);
        if (!source.table) throw errors::InvalidObject(s.from);
        b->systemTable = source.system;
        b->table = source.table;
        scope.columns = &b->table->columns;
        scope.tableName = b->table->name;
        scope.tableAlias = s.fromAlias;
    }
    b->distinct = s.distinct;
    b->top = s.top;
    BindScope listScope = scope;
    listScope.allowAggregates = true;
    b->aggregated = !s.groupBy.empty();
    for (ListEntry& entry : ExpandList(s, b->table)) {
        b->items.push_back(BoundSelect::Item{Expression(*entry.expr, listScope), entry.name});
        b->aggregated = b->aggregated || ContainsAggregate(*b->items.back().expr);
    }
    if (s.where) b->where = Expression(*s.where, scope);
    for (auto& g : s.groupBy) b->groupBy.push_back(Expression(*g, scope));
    if (s.having) {
        b->having = Expression(*s.having, listScope);
        b->aggregated = true;
    }
    for (auto& o : s.orderBy) {
        BoundSelect::SortKey key;
        key.descending = o.descending;
        key.item = SortItemOf(*o.expr, *b);
        if (key.item < 0) {
            key.expr = Expression(*o.expr, listScope);
            if (s.distinct) throw errors::OrderByNotInDistinct();
        }
        b->sorts.push_back(std::move(key));
    }
    CheckComparable(*b);
    if (b->aggregated) {
        std::string tableName = b->table ? b->table->name : std::string();
        for (auto& item : b->items) CheckGrouped(*item.expr, b->groupBy, tableName);
        for (auto& k : b->sorts)
            if (k.expr) CheckGrouped(*k.expr, b->groupBy, tableName);
    }
    return b;
}

// An IN (subquery) yields one column (116); a * counts the columns of its table, and a missing
// table counts one, to be refused by its own binding (208).
std::shared_ptr<const BoundSelect> Binder::Subquery(const SelectStmt& s) {
    std::size_t width = 0;
    for (auto& it : s.items) {
        if (!it.star) {
            ++width;
            continue;
        }
        SourceTable source = FindSource(catalogue_, s.from);
        width += source.table ? source.table->columns.size() : 1;
    }
    if (width != 1) throw errors::SubqueryManyColumns();
    return Select(s);
}

}  // namespace standin
