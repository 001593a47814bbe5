#pragma once
// An expression after binding: every column is a position in the row it reads, every operator,
// function and aggregate is an enumerator, and every node carries its static type. Execution only
// reads bound expressions; nothing in them changes while a statement runs.

#include <memory>
#include <string>
#include <vector>

#include "sql/ExprKind.h"
#include "types/Value.h"

namespace standin {

struct BoundSelect;
struct BoundExpr;
using BoundExprPtr = std::unique_ptr<const BoundExpr>;

enum class ArithOp { Add, Subtract, Multiply, Divide, Modulo };
enum class CompareOp { Equal, NotEqual, Less, Greater, LessOrEqual, GreaterOrEqual };
enum class SystemVariable { Version, Spid, TranCount, ServerName, ServiceName, Language };
enum class AggregateFn { Count, Sum, Min, Max, Avg };
enum class ScalarFn {
    GetDate,
    LTrim,
    RTrim,
    Upper,
    Lower,
    Len,
    DataLength,
    Substring,
    Left,
    Right,
    Replace,
    CharIndex,
    IsNull,
    Coalesce,
    NullIf,
    Year,
    Month,
    Day,
    Abs,
    Space,
    Str,
    IdentSeed,  // IDENT_SEED, IDENT_INCR, IDENT_CURRENT read the catalogue: the
    IdentIncr,  // evaluator answers them
    IdentCurrent,
};

struct BoundExpr {
    // The kind of the parsed node it was bound from. What each kind reads here: Literal:
    // literal. Column: column. Variable: variable. Arith: arith. Compare: compare. Function:
    // function. Aggregate: aggregate. Cast: castType, args[1] the CONVERT style if given.
    using Kind = ExprKind;
    Kind kind = Kind::Literal;
    ArithOp arith = ArithOp::Add;
    CompareOp compare = CompareOp::Equal;
    SystemVariable variable = SystemVariable::Version;
    ScalarFn function = ScalarFn::GetDate;
    AggregateFn aggregate = AggregateFn::Count;
    int column = -1;   // Column: position in the row
    std::string name;  // Column: as written (messages); Cast: CONVERT when written so
    Value literal;
    bool integerLiteral = false;  // an int constant, which arithmetic types by its digits
    SqlType castType;
    bool negated = false;
    bool distinct = false;
    std::vector<BoundExprPtr> args;
    std::shared_ptr<const BoundSelect> subquery;

    SqlType type;          // static type of the result
    bool nullable = true;  // whether the result may be NULL

    bool IsCondition() const {
        return kind == Kind::Compare || kind == Kind::And || kind == Kind::Or ||
               kind == Kind::Not || kind == Kind::Like || kind == Kind::InList ||
               kind == Kind::InSelect || kind == Kind::IsNull;
    }
};

// Whether the expression holds an aggregate outside a subquery.
bool ContainsAggregate(const BoundExpr& e);

// Marks in `columns` (one mark per column of the rows the expression reads) every column it
// reads, in the arguments of its aggregates too. A subquery reads its own table, not these rows.
void MarkColumnsRead(const BoundExpr& e, std::vector<char>& columns);

}  // namespace standin
