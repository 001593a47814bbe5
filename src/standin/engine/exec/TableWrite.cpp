#include "exec/TableWrite.h"

#include <algorithm>
#include <functional>
#include <optional>
#include <unordered_map>

#include "Cp936.h"
#include "Errors.h"
#include "types/Collation.h"
#include "types/Convert.h"
#include "types/KeyEncoding.h"
#include "types/SqlTypes.h"

namespace standin {

Column ColumnFromDef(const ColumnDef& d, bool ansiNullDefaultOn) {
    Column c;
    c.name = d.name;
    c.type = d.type;
    c.identity = d.identity;
    c.seed = d.seed;
    c.increment = d.increment;
    c.nullable = d.identity ? false : d.nullable ? *d.nullable : ansiNullDefaultOn;
    return c;
}

IndexDef KeyIndex(const std::string& name, bool primary, bool clustered,
                  std::vector<std::string> columns, int fillFactor) {
    IndexDef ix;
    ix.name = name;
    ix.unique = true;
    ix.primaryKey = primary;
    ix.clustered = clustered;
    ix.columns = std::move(columns);
    ix.fillFactor = fillFactor;
    return ix;
}

bool IsIdentityType(const SqlType& t) {
    return (IsIntegerType(t.id) && t.id != TypeId::Bit) || (IsExactNumeric(t.id) && t.scale == 0);
}

Value StoreValue(const Value& v, const SqlType& from, const Column& column) {
    return ConvertValue(v, from, column.type, ConvertMode::Store);
}

Value DefaultValue(StatementEnv& env, const Table& table, const Column& column) {
    const DefaultConstraint* d = table.DefaultOf(column);
    if (!d || !d->expr) return Value{};
    Evaluator ev(env);
    Value v = ev.Eval(*d->expr, nullptr);
    return StoreValue(v, d->expr->type, column);
}

std::int64_t NextIdentity(Table& table, const Column& column) {
    std::int64_t next = table.identityUsed ? table.identityLast + column.increment : column.seed;
    SqlType t = column.type;
    bool fits = IsIntegerType(t.id)
                    ? (next >= IntegerMin(t.id) && next <= IntegerMax(t.id))
                    : (next > -1000000000000000000LL && next < 1000000000000000000LL);
    if (!fits) throw errors::ArithmeticOverflow("IDENTITY", TypeName(t.id));
    table.identityUsed = true;
    table.identityLast = next;
    return next;
}

void CheckNotNull(const Table& table, const Row& row, const char* verb) {
    for (std::size_t i = 0; i < table.columns.size(); ++i)
        if (!table.columns[i].nullable && IsNull(row[i]))
            throw errors::NullNotAllowed(table.columns[i].name, table.name, verb);
}

void CheckNotNull(const Table& table, const std::vector<int>& columns,
                  const std::vector<Value>& values, const char* verb) {
    // In the table's column order, as the whole-row check reports the first.
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        if (table.columns[i].nullable) continue;
        for (std::size_t k = 0; k < columns.size(); ++k)
            if (static_cast<std::size_t>(columns[k]) == i && IsNull(values[k]))
                throw errors::NullNotAllowed(table.columns[i].name, table.name, verb);
    }
}

std::string KeyValueText(const Table& table, const IndexDef& ix, const Row& row) {
    std::string out;
    for (int p : table.ColumnPositions(ix)) {
        if (!out.empty()) out += ", ";
        const Value& v = row[static_cast<std::size_t>(p)];
        out += IsNull(v) ? std::string("<NULL>") : kavel::Cp936ToUtf8Lossy(ValueAsText(v, 121));
    }
    return out;
}

namespace {

void CheckUniqueKeysWhere(const Table& table, const std::vector<RowId>& rows,
                          const std::function<bool(const IndexDef&)>& mayHaveChanged) {
    for (auto& ix : table.indexes) {
        if (!ix.unique || !mayHaveChanged(ix)) continue;
        const HashIndex* h = table.store.FindIndex(ix.name);
        if (!h) continue;
        // The changed rows are in the index already: without a key held twice there is nothing to
        // report, and finding the row to report takes two more hash tables (a large INSERT ...
        // SELECT spent half its time on them).
        const bool clash = std::any_of(rows.begin(), rows.end(), [&](RowId id) {
            return table.store.Live(id) && table.store.CountKey(*h, table.store.KeyOf(*h, id)) > 1;
        });
        if (!clash) continue;
        // The row reported is the first changed row whose key an earlier row (one that was there,
        // or a changed row before it) already holds, as SQL Server reports the row it refused.
        std::unordered_map<std::string, std::size_t> changedPerKey;
        for (RowId id : rows)
            if (table.store.Live(id)) ++changedPerKey[table.store.KeyOf(*h, id)];
        std::unordered_map<std::string, std::size_t> seen;
        for (RowId id : rows) {
            if (!table.store.Live(id)) continue;
            const Row row = table.store.Get(id);
            std::string key = table.store.KeyOf(*h, row);
            std::size_t others = table.store.CountKey(*h, key) - changedPerKey[key];
            if (others > 0 || seen[key]++ > 0) {
                if (ix.constraintId != 0)
                    throw errors::DuplicateKey(ix.name, table.name, KeyValueText(table, ix, row));
                throw errors::DuplicateIndexRow(ix.name, table.name, KeyValueText(table, ix, row));
            }
        }
    }
}

}  // namespace

void CheckUniqueKeys(const Table& table, const std::vector<RowId>& rows) {
    CheckUniqueKeysWhere(table, rows, [](const IndexDef&) { return true; });
}

void CheckUniqueKeys(const Table& table, const std::vector<RowId>& rows,
                     const std::vector<int>& changedColumns) {
    CheckUniqueKeysWhere(table, rows, [&](const IndexDef& ix) {
        for (int p : table.ColumnPositions(ix))
            if (std::find(changedColumns.begin(), changedColumns.end(), p) != changedColumns.end())
                return true;
        return false;
    });
}

bool IsConstant(const BoundExpr& e) {
    using K = BoundExpr::Kind;
    if (e.kind == K::Column || e.kind == K::Aggregate || e.kind == K::InSelect) return false;
    for (auto& a : e.args)
        if (a && !IsConstant(*a)) return false;
    return true;
}

namespace {

bool SameCategory(const SqlType& a, const SqlType& b) {
    if (IsTextType(a.id) && IsTextType(b.id)) return a.id != TypeId::Text && b.id != TypeId::Text;
    if (IsNumberType(a.id) && IsNumberType(b.id)) return true;
    return a.id == TypeId::DateTime && b.id == TypeId::DateTime;
}

// Collects column = constant conjuncts of the condition.
void CollectEqualities(const BoundExpr& e, std::vector<std::pair<int, const BoundExpr*>>& out) {
    using K = BoundExpr::Kind;
    if (e.kind == K::And) {
        CollectEqualities(*e.args[0], out);
        CollectEqualities(*e.args[1], out);
        return;
    }
    if (e.kind != K::Compare || e.compare != CompareOp::Equal) return;
    const BoundExpr& l = *e.args[0];
    const BoundExpr& r = *e.args[1];
    if (l.kind == K::Column && IsConstant(r) && SameCategory(l.type, r.type))
        out.emplace_back(l.column, &r);
    else if (r.kind == K::Column && IsConstant(l) && SameCategory(l.type, r.type))
        out.emplace_back(r.column, &l);
}

std::size_t Conjuncts(const BoundExpr& e) {
    if (e.kind != BoundExpr::Kind::And) return 1;
    return Conjuncts(*e.args[0]) + Conjuncts(*e.args[1]);
}

// Whether the key of `h` alone decides `where`: the condition is nothing but one equality for
// each column of the index, each between values of a kind whose comparison cannot fail or
// convert (text with text, integers with integers, dates with dates). Keys are equal exactly when
// such values compare equal, so the rows the key finds need not be read to test the condition.
bool KeyDecides(const Table& table, const HashIndex& h,
                const std::vector<std::pair<int, const BoundExpr*>>& eqs, const BoundExpr& where) {
    if (Conjuncts(where) != eqs.size() || eqs.size() != h.columns.size()) return false;
    for (auto& [col, ex] : eqs) {
        if (std::count(h.columns.begin(), h.columns.end(), col) != 1) return false;
        const TypeId a = table.columns[static_cast<std::size_t>(col)].type.id;
        const TypeId b = ex->type.id;
        const bool text = IsTextType(a) && IsTextType(b) && a != TypeId::Text && b != TypeId::Text;
        const bool integers =
            IsIntegerType(a) && IsIntegerType(b) && a != TypeId::Bit && b != TypeId::Bit;
        if (!text && !integers && !(a == TypeId::DateTime && b == TypeId::DateTime)) return false;
    }
    for (int c : h.columns)  // one equality each, so no column has two
        if (std::count_if(eqs.begin(), eqs.end(), [c](auto& eq) { return eq.first == c; }) != 1)
            return false;
    return true;
}

}  // namespace

namespace {

// The columns of `table` that the condition reads (none without one).
std::vector<char> ColumnsReadBy(const Table& table, const BoundExpr* where) {
    std::vector<char> columns(table.columns.size(), 0);
    if (where) MarkColumnsRead(*where, columns);
    return columns;
}

// Below this many rows a scan costs about what building a look-up index would.
constexpr std::size_t kLookupIndexMinRows = 64;

// The live rows of `h` whose key the equalities give and for which `where` holds, or nothing
// when the equalities do not name every column of `h`.
std::optional<std::vector<RowId>> RowsThrough(
    StatementEnv& env, Evaluator& ev, const Table& table, const HashIndex& h,
    const std::vector<std::pair<int, const BoundExpr*>>& eqs, const BoundExpr& where) {
    std::vector<const BoundExpr*> parts;
    for (int c : h.columns) {
        const BoundExpr* found = nullptr;
        for (auto& [col, ex] : eqs)
            if (col == c) found = ex;
        if (!found) return std::nullopt;
        parts.push_back(found);
    }
    std::vector<RowId> out;
    std::string key;
    for (const BoundExpr* p : parts) {
        Value v = ev.Eval(*p, nullptr);
        if (IsNull(v)) return out;  // col = NULL is never TRUE
        AppendKey(key, v);
    }
    const bool decided = KeyDecides(table, h, eqs, where);
    const std::vector<char> columnsRead =
        decided ? std::vector<char>{} : ColumnsReadBy(table, &where);
    Row row;
    for (RowId id : table.store.Lookup(h, key)) {
        if (!table.store.Live(id)) continue;
        ++env.rowsVisited;
        if (!decided) {
            table.store.Read(id, columnsRead, row);
            if (!ev.Test(where, &row)) continue;
        }
        out.push_back(id);
    }
    return out;
}

}  // namespace

std::vector<RowId> FindRows(StatementEnv& env, Evaluator& ev, const Table& table,
                            const BoundExpr* where) {
    std::vector<RowId> out;
    if (where) {
        std::vector<std::pair<int, const BoundExpr*>> eqs;
        CollectEqualities(*where, eqs);
        if (!eqs.empty()) {
            for (auto& h : table.store.Indexes())
                if (auto rows = RowsThrough(env, ev, table, h, eqs, *where)) return *rows;
            // No index covers the equalities: on a large table, add a look-up index on their
            // columns, so this and every later look-up of the same columns finds its rows by key.
            if (table.store.Count() >= kLookupIndexMinRows) {
                std::vector<int> columns;
                for (auto& [col, ex] : eqs) columns.push_back(col);
                std::sort(columns.begin(), columns.end());
                columns.erase(std::unique(columns.begin(), columns.end()), columns.end());
                if (const HashIndex* h = table.store.AddLookupIndex(std::move(columns)))
                    return *RowsThrough(env, ev, table, *h, eqs, *where);
            }
        }
    }
    const std::vector<char> columnsRead = ColumnsReadBy(table, where);
    Row row;
    for (RowId id = 0; id < table.store.Capacity(); ++id) {
        if (!table.store.Live(id)) continue;
        ++env.rowsVisited;
        if (where) {
            table.store.Read(id, columnsRead, row);
            if (!ev.Test(*where, &row)) continue;
        }
        out.push_back(id);
    }
    return out;
}

}  // namespace standin
