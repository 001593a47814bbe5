#pragma once
// Evaluation of bound expressions against a row or a group of rows, with three-valued logic for
// conditions. An Evaluator lives for one statement: it keeps the statement's subquery results.

#include <map>
#include <vector>

#include "bind/BoundExpr.h"
#include "catalog/Schema.h"
#include "exec/StatementEnv.h"

namespace standin {

// The rows of one group (SELECT with GROUP BY or aggregates), by id in `store`; without a table
// (store null) each id stands for the empty row.
struct RowGroup {
    const RowStore* store = nullptr;
    std::vector<RowId> ids;
    // The columns the statement reads (a mark per column); null: all of them.
    const std::vector<char>* columns = nullptr;

    // Row k of the group, read into `scratch` when it is a stored row.
    const Row* Read(std::size_t k, Row& scratch) const {
        static const Row kEmpty;
        if (!store) return &kEmpty;
        if (columns)
            store->Read(ids[k], *columns, scratch);
        else
            store->Read(ids[k], scratch);
        return &scratch;
    }
};

class Evaluator {
public:
    explicit Evaluator(StatementEnv& env) : env_(env) {}

    Value Eval(const BoundExpr& e, const Row* row);
    // A condition: true only when it evaluates to TRUE (FALSE and UNKNOWN both reject the row).
    bool Test(const BoundExpr& e, const Row* row);

    // Rows of the current group while evaluating aggregates (SELECT with GROUP BY or aggregates).
    void SetGroup(const RowGroup* group) { group_ = group; }

private:
    enum class Tri { False, True, Unknown };
    Tri Truth(const BoundExpr& e, const Row* row);
    Tri InTruth(const BoundExpr& e, const Row* row);
    Value EvalCast(const BoundExpr& e, const Row* row);
    Value EvalFunction(const BoundExpr& e, const Row* row);
    // IDENT_SEED, IDENT_INCR, IDENT_CURRENT of a table; NULL when it has no identity column.
    Value IdentityProperty(ScalarFn function, const std::string& table) const;
    Value EvalAggregate(const BoundExpr& e);
    const std::vector<Value>& Subquery(const BoundExpr& e);  // run once per statement, then kept

    StatementEnv& env_;
    const RowGroup* group_ = nullptr;
    std::map<const BoundExpr*, std::vector<Value>> subqueries_;
};

}  // namespace standin
