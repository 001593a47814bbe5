#pragma once
// Binding of expressions to the columns they read (with SQL Server's type rules) and their
// evaluation against a row or a group of rows, with three-valued logic for conditions.

#include <map>
#include <vector>

#include "sql/Ast.h"
#include "catalog/Schema.h"
#include "exec/StatementEnv.h"

namespace standin {

struct BindScope {
    const std::vector<Column>* columns = nullptr;  // null: no FROM, column names are errors
    std::string tableName;                         // names a qualified column may use
    std::string tableAlias;
    bool allowAggregates = false;
    bool valuesList = false;  // a VALUES list: column names get error 128
};

class Evaluator {
public:
    explicit Evaluator(StatementEnv& env) : env_(env) {}

    void Bind(Expr& e, const BindScope& scope);

    Value Eval(const Expr& e, const Row* row);
    // A condition: true only when it evaluates to TRUE (FALSE and UNKNOWN both reject the row).
    bool Test(const Expr& e, const Row* row);

    // Rows of the current group while evaluating aggregates (SELECT with GROUP BY or aggregates).
    void SetGroup(const std::vector<const Row*>* group) { group_ = group; }

    static bool ContainsAggregate(const Expr& e);

private:
    enum class Tri { False, True, Unknown };
    Tri Truth(const Expr& e, const Row* row);
    Value EvalArith(const Expr& e, const Row* row);
    Value EvalFunction(const Expr& e, const Row* row);
    Value EvalFunctionValue(const Expr& e, const Row* row);
    // IDENT_SEED, IDENT_INCR, IDENT_CURRENT of a table; NULL when it has no identity column.
    Value IdentityProperty(const std::string& function, const std::string& table) const;
    Value EvalAggregate(const Expr& e);
    struct SubqueryResult {
        SqlType type;  // of its one column
        std::vector<Value> values;
    };
    const SubqueryResult& Subquery(const Expr& e);  // run once per statement, then kept
    void BindFunction(Expr& e);

    StatementEnv& env_;
    const std::vector<const Row*>* group_ = nullptr;
    std::map<const Expr*, SubqueryResult> subqueries_;
};

// Runs an IN (subquery): its single column's values. Defined with SELECT.
std::vector<Value> RunSubquery(StatementEnv& env, SelectStmt& select, SqlType& type);

}  // namespace standin
