#pragma once
// The kinds of expression node. The parsed tree (Expr) and the bound tree (BoundExpr) share them,
// so binding a node keeps its kind unchanged.

namespace standin {

enum class ExprKind {
    Literal,
    Column,
    Variable,  // @@VERSION, @@SPID, ...
    Negate,    // -args[0]
    Arith,     // args[0] op args[1]: + - * / %
    Compare,   // args[0] op args[1]: = <> < > <= >=
    And,
    Or,
    Not,
    Like,       // args[0] [NOT] LIKE args[1]
    InList,     // args[0] [NOT] IN (args[1..])
    InSelect,   // args[0] [NOT] IN (subquery)
    IsNull,     // args[0] IS [NOT] NULL
    Function,   // a scalar function of args
    Cast,       // CAST(args[0] AS castType) / CONVERT(castType, args[0] [, args[1] style])
    Aggregate,  // COUNT SUM MIN MAX AVG of args[0]; args empty for COUNT(*)
};

}  // namespace standin
