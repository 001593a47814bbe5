// SELECT over one table (a user table or a system table) or over no table: filter, group,
// aggregate, DISTINCT, ORDER BY, TOP.
#include <algorithm>
#include <unordered_map>

#include "types/Collation.h"
#include "types/Convert.h"
#include "Errors.h"
#include "exec/Executor.h"
#include "types/KeyEncoding.h"
#include "types/SqlTypes.h"
#include "catalog/SystemTables.h"
#include "exec/TableWrite.h"

namespace standin {
namespace {

// Whether two bound expressions are the same computation (a select item that repeats a GROUP BY
// expression, such as year(d) in both).
bool SameExpr(const Expr& a, const Expr& b) {
    if (a.kind != b.kind || !SameName(a.name, b.name) || a.column != b.column || a.negated != b.negated ||
        a.distinct != b.distinct || a.args.size() != b.args.size())
        return false;
    if (a.kind == Expr::Kind::Literal && EncodeKey({a.literal}) != EncodeKey({b.literal})) return false;
    if (a.kind == Expr::Kind::Cast && TypeDeclaration(a.castType) != TypeDeclaration(b.castType)) return false;
    if (a.kind == Expr::Kind::InSelect) return false;
    for (std::size_t i = 0; i < a.args.size(); ++i)
        if (!SameExpr(*a.args[i], *b.args[i])) return false;
    return true;
}

// Checks that outside aggregates the expression reads only grouped columns or grouped
// expressions (8120).
void CheckGrouped(const Expr& e, const std::vector<const Expr*>& groupExprs, const std::string& table) {
    if (e.kind == Expr::Kind::Aggregate) return;
    for (const Expr* g : groupExprs)
        if (SameExpr(*g, e)) return;
    if (e.kind == Expr::Kind::Column) throw errors::NotInGroupBy(table, e.name);
    for (auto& a : e.args)
        if (a) CheckGrouped(*a, groupExprs, table);
}

struct OutputRow {
    std::vector<Value> values;
    std::vector<Value> sortKeys;
};

}  // namespace

ResultSet RunSelect(StatementEnv& env, SelectStmt& s) {
    // The source.
    std::unique_ptr<Table> systemTable;
    const Table* table = nullptr;
    if (!s.from.empty()) {
        systemTable = MaterializeSystemTable(s.from, env.catalogue);
        table = systemTable ? systemTable.get() : env.catalogue.FindTable(s.from);
        if (!table) throw errors::InvalidObject(s.from);
    }
    Evaluator ev(env);
    BindScope scope;
    if (table) {
        scope.columns = &table->columns;
        scope.tableName = table->name;
        scope.tableAlias = s.fromAlias;
    }

    // Expand * and bind the select list.
    struct Item {
        Expr* expr = nullptr;
        std::unique_ptr<Expr> owned;
        std::string name;
    };
    std::vector<Item> items;
    for (auto& it : s.items) {
        if (it.star) {
            if (!table) throw errors::Other(263, 16, 1, "Must specify table to select from.", true);
            for (std::size_t c = 0; c < table->columns.size(); ++c) {
                Item item;
                item.owned = std::make_unique<Expr>();
                item.owned->kind = Expr::Kind::Column;
                item.owned->name = table->columns[c].name;
                item.expr = item.owned.get();
                item.name = table->columns[c].name;
                items.push_back(std::move(item));
            }
            continue;
        }
        Item item;
        item.expr = it.expr.get();
        item.name = !it.alias.empty() ? it.alias : it.expr->kind == Expr::Kind::Column ? it.expr->name : std::string();
        items.push_back(std::move(item));
    }
    BindScope listScope = scope;
    listScope.allowAggregates = true;
    bool aggregated = !s.groupBy.empty();
    for (auto& item : items) {
        ev.Bind(*item.expr, listScope);
        aggregated = aggregated || Evaluator::ContainsAggregate(*item.expr);
    }
    if (s.where) ev.Bind(*s.where, scope);
    std::vector<const Expr*> groupExprs;
    for (auto& g : s.groupBy) {
        ev.Bind(*g, scope);
        groupExprs.push_back(g.get());
    }
    if (s.having) {
        ev.Bind(*s.having, listScope);
        aggregated = true;
    }
    // ORDER BY: a select-list alias or position, else an expression over the source.
    struct SortSpec {
        int item = -1;       // index into items, or -1 for an expression
        Expr* expr = nullptr;
        bool descending = false;
    };
    std::vector<SortSpec> sorts;
    for (auto& o : s.orderBy) {
        SortSpec spec;
        spec.descending = o.descending;
        if (o.expr->kind == Expr::Kind::Literal && std::holds_alternative<std::int64_t>(o.expr->literal)) {
            std::int64_t pos = std::get<std::int64_t>(o.expr->literal);
            if (pos < 1 || pos > static_cast<std::int64_t>(items.size()))
                throw errors::Other(108, 15, 1,
                                    "The ORDER BY position number " + std::to_string(pos) +
                                        " is out of range of the number of items in the select list.",
                                    true);
            spec.item = static_cast<int>(pos - 1);
        } else if (o.expr->kind == Expr::Kind::Column) {
            for (std::size_t i = 0; i < items.size(); ++i)
                if (!items[i].name.empty() && SameName(items[i].name, o.expr->name)) {
                    spec.item = static_cast<int>(i);
                    break;
                }
        }
        if (spec.item < 0) {
            ev.Bind(*o.expr, listScope);
            spec.expr = o.expr.get();
            if (s.distinct)
                throw errors::Other(145, 15, 1, "ORDER BY items must appear in the select list if SELECT DISTINCT is specified.", true);
        }
        sorts.push_back(spec);
    }
    // text values are not comparable: they cannot be sorted, grouped or made distinct.
    auto refuseText = [](const SqlType& t) {
        if (t.id == TypeId::Text)
            throw errors::Other(306, 16, 2,
                                "The text, ntext, and image data types cannot be compared or sorted, except when using IS "
                                "NULL or LIKE operator.",
                                true);
    };
    for (auto& g : s.groupBy) refuseText(g->type);
    for (auto& sp : sorts) refuseText(sp.item >= 0 ? items[static_cast<std::size_t>(sp.item)].expr->type : sp.expr->type);
    if (s.distinct)
        for (auto& item : items)
            if (item.expr->type.id == TypeId::Text)
                throw errors::Other(421, 16, 1, "The text data type cannot be selected as DISTINCT because it is not comparable.",
                                    true);
    if (aggregated) {
        std::string tableName = table ? table->name : std::string();
        for (auto& item : items) CheckGrouped(*item.expr, groupExprs, tableName);
        for (auto& sp : sorts)
            if (sp.expr) CheckGrouped(*sp.expr, groupExprs, tableName);
    }

    // Rows that pass WHERE.
    std::vector<const Row*> rows;
    if (table) {
        for (RowId id : FindRows(env, ev, *table, s.where.get())) rows.push_back(&table->store.Get(id));
    } else {
        static const Row kEmpty;
        if (!s.where || ev.Test(*s.where, &kEmpty)) rows.push_back(&kEmpty);
    }

    std::vector<OutputRow> out;
    auto emit = [&](const Row* row) {
        OutputRow o;
        for (auto& item : items) o.values.push_back(ev.Eval(*item.expr, row));
        for (auto& sp : sorts) o.sortKeys.push_back(sp.item >= 0 ? o.values[static_cast<std::size_t>(sp.item)] : ev.Eval(*sp.expr, row));
        out.push_back(std::move(o));
    };
    if (aggregated) {
        std::vector<std::vector<const Row*>> groups;
        if (s.groupBy.empty()) {
            groups.push_back(rows);
        } else {
            std::unordered_map<std::string, std::size_t> index;
            for (const Row* r : rows) {
                std::string key;
                for (auto& g : s.groupBy) AppendKey(key, ev.Eval(*g, r));
                auto [it, fresh] = index.emplace(key, groups.size());
                if (fresh) groups.emplace_back();
                groups[it->second].push_back(r);
            }
        }
        for (auto& g : groups) {
            ev.SetGroup(&g);
            const Row* first = g.empty() ? nullptr : g.front();
            if (s.having && !ev.Test(*s.having, first)) continue;
            emit(first);
        }
        ev.SetGroup(nullptr);
    } else {
        for (const Row* r : rows) emit(r);
    }

    if (s.distinct) {
        std::unordered_map<std::string, bool> seen;
        std::vector<OutputRow> unique;
        for (auto& o : out)
            if (seen.emplace(EncodeKey(o.values), true).second) unique.push_back(std::move(o));
        out = std::move(unique);
    }
    if (!sorts.empty()) {
        std::vector<SqlType> types;
        for (auto& sp : sorts) types.push_back(sp.item >= 0 ? items[static_cast<std::size_t>(sp.item)].expr->type : sp.expr->type);
        std::stable_sort(out.begin(), out.end(), [&](const OutputRow& a, const OutputRow& b) {
            for (std::size_t k = 0; k < sorts.size(); ++k) {
                int c = CompareForSort(a.sortKeys[k], types[k], b.sortKeys[k], types[k]);
                if (c != 0) return sorts[k].descending ? c > 0 : c < 0;
            }
            return false;
        });
    }
    if (s.top && static_cast<std::int64_t>(out.size()) > *s.top) out.resize(static_cast<std::size_t>(*s.top));

    ResultSet rs;
    for (auto& item : items) {
        ResultColumn c;
        c.name = item.name;
        c.type = item.expr->type;
        c.nullable = item.expr->nullable;
        rs.columns.push_back(c);
    }
    for (auto& o : out) rs.rows.push_back(std::move(o.values));
    return rs;
}

std::vector<Value> RunSubquery(StatementEnv& env, SelectStmt& select, SqlType& type) {
    std::size_t width = 0;
    for (auto& it : select.items) {
        if (it.star) {
            const Table* t = env.catalogue.FindTable(select.from);
            auto sys = MaterializeSystemTable(select.from, env.catalogue);
            width += sys ? sys->columns.size() : t ? t->columns.size() : 1;  // a missing table: 208 below
        } else {
            ++width;
        }
    }
    if (width != 1) throw errors::SubqueryManyColumns();
    ResultSet rs = RunSelect(env, select);
    type = rs.columns[0].type;
    std::vector<Value> vals;
    vals.reserve(rs.rows.size());
    for (auto& r : rs.rows) vals.push_back(std::move(r[0]));
    return vals;
}

}  // namespace standin
