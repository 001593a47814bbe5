// Binding of INSERT: the target columns (207, 264, 544, 545), the number of values against them
// (213, 109, 110, 120, 121, 8101) and the VALUES rows or the SELECT that gives the rows.
#include "Errors.h"
#include "bind/Binder.h"
#include "types/Collation.h"

namespace standin {
namespace {

// identityInsert: SET IDENTITY_INSERT is ON for the table, so its identity column takes the
// values given.
std::vector<int> TargetColumns(const Table& t, const std::vector<std::string>& names,
                               bool identityInsert) {
    std::vector<int> targets;
    if (names.empty()) {
        // A positional insert skips the identity column.
        for (std::size_t i = 0; i < t.columns.size(); ++i)
            if (!t.columns[i].identity) targets.push_back(static_cast<int>(i));
        return targets;
    }
    for (auto& name : names) {
        int c = t.FindColumn(name);
        if (c < 0) throw errors::InvalidColumn(name);
        const Column& column = t.columns[static_cast<std::size_t>(c)];
        for (int prev : targets)
            if (prev == c) throw errors::ColumnInListTwice(column.name);
        if (column.identity && !identityInsert) throw errors::IdentityInsertOff(t.name);
        targets.push_back(c);
    }
    return targets;
}

bool HasIdentity(const Table& t) {
    for (auto& c : t.columns)
        if (c.identity) return true;
    return false;
}

// A row of `given` values for `targets` columns that do not match in number.
void CheckValueCount(const Table& t, const InsertStmt& s, std::size_t given, std::size_t targets) {
    if (given == targets) return;
    if (s.columns.empty()) {
        if (HasIdentity(t) && given == t.columns.size()) throw errors::ExplicitIdentity(t.name);
        throw errors::ColumnCountMismatch();
    }
    if (s.select) {
        if (given < targets) throw errors::SelectListFewerItems();
        throw errors::SelectListMoreItems();
    }
    if (given < targets) throw errors::MoreColumnsThanValues();
    throw errors::FewerColumnsThanValues();
}

}  // namespace

BoundInsert Binder::Insert(const InsertStmt& s) {
    BoundInsert b;
    b.table = &TableForWrite(catalogue_, s.table);
    const Table& t = *b.table;
    // A replayed statement succeeded when it ran, explicit identity values included.
    const bool replaying = session_ && session_->replaying;
    const bool identityInsert =
        replaying || (session_ && SameName(session_->identityInsertTable, t.name));
    b.targets = TargetColumns(t, s.columns, identityInsert);
    if (identityInsert && !replaying && HasIdentity(t) && !s.columns.empty()) {
        bool identityGiven = false;
        for (int c : b.targets)
            identityGiven = identityGiven || t.columns[static_cast<std::size_t>(c)].identity;
        if (!identityGiven) throw errors::ExplicitIdentityRequired(t.name);
    }
    if (s.defaultValues) {
        b.defaultValues = true;
        b.targets.clear();
        return b;
    }
    if (s.select) {
        b.select = Select(*s.select);
        CheckValueCount(t, s, b.select->items.size(), b.targets.size());
        return b;
    }
    for (auto& row : s.rows) CheckValueCount(t, s, row.size(), b.targets.size());
    BindScope scope;
    scope.valuesList = true;
    for (auto& row : s.rows) {
        std::vector<BoundExprPtr> bound;
        for (auto& e : row) bound.push_back(e ? Expression(*e, scope) : nullptr);
        b.rows.push_back(std::move(bound));
    }
    return b;
}

}  // namespace standin
