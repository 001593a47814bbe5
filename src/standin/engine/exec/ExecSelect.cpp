// SELECT over one table (a user table or a system table) or over no table: filter, group,
// aggregate, DISTINCT, ORDER BY, TOP.
#include <algorithm>
#include <unordered_map>

#include "exec/Executor.h"
#include "exec/TableWrite.h"
#include "types/Collation.h"
#include "types/Convert.h"
#include "types/KeyEncoding.h"

namespace standin {
namespace {

struct OutputRow {
    std::vector<Value> values;
    std::vector<Value> sortKeys;
};

// The columns of the source that the select list, GROUP BY, HAVING and ORDER BY read.
std::vector<char> ColumnsRead(const BoundSelect& s) {
    std::vector<char> columns(s.table->columns.size(), 0);
    for (auto& item : s.items) MarkColumnsRead(*item.expr, columns);
    for (auto& g : s.groupBy) MarkColumnsRead(*g, columns);
    if (s.having) MarkColumnsRead(*s.having, columns);
    for (auto& k : s.sorts)
        if (k.expr) MarkColumnsRead(*k.expr, columns);
    return columns;
}

// The rows that pass WHERE, read as far as `columns` says; without FROM, one empty row.
RowGroup SourceRows(StatementEnv& env, Evaluator& ev, const BoundSelect& s,
                    const std::vector<char>& columns) {
    RowGroup rows;
    if (s.table) {
        rows.store = &s.table->store;
        rows.columns = &columns;
        rows.ids = FindRows(env, ev, *s.table, s.where.get());
    } else {
        static const Row kEmpty;
        if (!s.where || ev.Test(*s.where, &kEmpty)) rows.ids.push_back(0);
    }
    return rows;
}

OutputRow Output(Evaluator& ev, const BoundSelect& s, const Row* row) {
    OutputRow o;
    for (auto& item : s.items) o.values.push_back(ev.Eval(*item.expr, row));
    for (auto& k : s.sorts)
        o.sortKeys.push_back(k.item >= 0 ? o.values[static_cast<std::size_t>(k.item)]
                                         : ev.Eval(*k.expr, row));
    return o;
}

// Rows grouped by the GROUP BY values, in order of first appearance; one group without GROUP BY.
std::vector<RowGroup> Groups(Evaluator& ev, const BoundSelect& s, RowGroup rows) {
    std::vector<RowGroup> groups;
    if (s.groupBy.empty()) {
        groups.push_back(std::move(rows));
        return groups;
    }
    std::unordered_map<std::string, std::size_t> index;
    Row scratch;
    for (std::size_t k = 0; k < rows.ids.size(); ++k) {
        const Row* r = rows.Read(k, scratch);
        std::string key;
        for (auto& g : s.groupBy) AppendKey(key, ev.Eval(*g, r));
        auto [it, fresh] = index.emplace(key, groups.size());
        if (fresh) groups.push_back(RowGroup{rows.store, {}, rows.columns});
        groups[it->second].ids.push_back(rows.ids[k]);
    }
    return groups;
}

std::vector<OutputRow> GroupedOutput(Evaluator& ev, const BoundSelect& s, RowGroup rows) {
    std::vector<OutputRow> out;
    Row scratch;
    for (auto& g : Groups(ev, s, std::move(rows))) {
        ev.SetGroup(&g);
        const Row* first = g.ids.empty() ? nullptr : g.Read(0, scratch);
        if (s.having && !ev.Test(*s.having, first)) continue;
        out.push_back(Output(ev, s, first));
    }
    ev.SetGroup(nullptr);
    return out;
}

void KeepDistinct(std::vector<OutputRow>& out) {
    std::unordered_map<std::string, bool> seen;
    std::vector<OutputRow> unique;
    for (auto& o : out)
        if (seen.emplace(EncodeKey(o.values), true).second) unique.push_back(std::move(o));
    out = std::move(unique);
}

void Sort(std::vector<OutputRow>& out, const BoundSelect& s) {
    std::vector<SqlType> types;
    for (auto& k : s.sorts) types.push_back(k.Type(s));
    std::stable_sort(out.begin(), out.end(), [&](const OutputRow& a, const OutputRow& b) {
        for (std::size_t k = 0; k < s.sorts.size(); ++k) {
            int c = CompareForSort(a.sortKeys[k], types[k], b.sortKeys[k], types[k]);
            if (c != 0) return s.sorts[k].descending ? c > 0 : c < 0;
        }
        return false;
    });
}

}  // namespace

ResultSet RunSelect(StatementEnv& env, const BoundSelect& s) {
    Evaluator ev(env);
    const std::vector<char> columns = s.table ? ColumnsRead(s) : std::vector<char>{};
    RowGroup rows = SourceRows(env, ev, s, columns);
    std::vector<OutputRow> out;
    if (s.aggregated) {
        out = GroupedOutput(ev, s, std::move(rows));
    } else {
        out.reserve(rows.ids.size());
        Row scratch;
        for (std::size_t k = 0; k < rows.ids.size(); ++k)
            out.push_back(Output(ev, s, rows.Read(k, scratch)));
    }
    if (s.distinct) KeepDistinct(out);
    if (!s.sorts.empty()) Sort(out, s);
    if (s.top && static_cast<std::int64_t>(out.size()) > *s.top)
        out.resize(static_cast<std::size_t>(*s.top));

    ResultSet rs;
    for (auto& item : s.items) {
        ResultColumn c;
        c.name = item.name;
        c.type = item.expr->type;
        c.nullable = item.expr->nullable;
        rs.columns.push_back(c);
    }
    rs.rows.reserve(out.size());
    for (auto& o : out) rs.rows.push_back(std::move(o.values));
    return rs;
}

}  // namespace standin
