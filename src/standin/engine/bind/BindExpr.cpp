// Binding of expressions: column names to positions, operators to enumerators, and SQL Server's
// typing rules for each kind of node (functions and aggregates in BindFunction.cpp).
#include <algorithm>
#include <cassert>

#include "Errors.h"
#include "bind/BindFunction.h"
#include "bind/Binder.h"
#include "bind/Operators.h"
#include "types/DecimalMath.h"
#include "types/SqlTypes.h"

namespace standin {
namespace {

using K = Expr::Kind;
using BK = BoundExpr::Kind;

bool ContainsAggregateNode(const Expr& e) {
    if (e.kind == K::Aggregate) return true;
    for (auto& a : e.args)
        if (a && ContainsAggregateNode(*a)) return true;
    return false;
}

ArithOp ArithOpOf(const std::string& symbol) {
    if (symbol == "+") return ArithOp::Add;
    if (symbol == "-") return ArithOp::Subtract;
    if (symbol == "*") return ArithOp::Multiply;
    if (symbol == "/") return ArithOp::Divide;
    return ArithOp::Modulo;
}

CompareOp CompareOpOf(const std::string& symbol) {
    if (symbol == "=") return CompareOp::Equal;
    if (symbol == "<>") return CompareOp::NotEqual;
    if (symbol == "<") return CompareOp::Less;
    if (symbol == ">") return CompareOp::Greater;
    if (symbol == "<=") return CompareOp::LessOrEqual;
    return CompareOp::GreaterOrEqual;
}

void BindVariable(const Expr& e, BoundExpr& b) {
    const std::string& n = e.name;
    const std::string& written = std::get<std::string>(e.literal);
    if (n == "@@VERSION") {
        b.variable = SystemVariable::Version;
        b.type = MakeType(TypeId::VarChar, 300);
    } else if (n == "@@SPID") {
        b.variable = SystemVariable::Spid;
        b.type = MakeType(TypeId::SmallInt);
    } else if (n == "@@TRANCOUNT") {
        b.variable = SystemVariable::TranCount;
        b.type = MakeType(TypeId::Int);  // statements never run inside a transaction here
    } else if (n == "@@ROWCOUNT" || n == "@@ERROR" || n == "@@IDENTITY") {
        // These depend on the session's previous statement, which this engine does not keep;
        // refusing is better than answering 0.
        throw errors::UnsupportedStatement(written);
    } else if (n == "@@SERVERNAME" || n == "@@SERVICENAME" || n == "@@LANGUAGE") {
        b.variable = n == "@@SERVERNAME"    ? SystemVariable::ServerName
                     : n == "@@SERVICENAME" ? SystemVariable::ServiceName
                                            : SystemVariable::Language;
        b.type = MakeType(TypeId::VarChar, 128);
    } else {
        throw errors::UndeclaredVariable(written);
    }
    b.nullable = false;
}

// An operand of exact arithmetic: an integer constant takes part as decimal(digits, 0), as on
// SQL Server (7.0 / 2 has six decimals, not twelve).
SqlType DecimalOperandType(const BoundExpr& x) {
    if (x.integerLiteral)
        return MakeType(TypeId::Numeric, 0, DigitCount(std::get<std::int64_t>(x.literal)), 0);
    return DecimalTypeOf(x.type);
}

SqlType ExactArithType(ArithOp op, const BoundExpr& left, const BoundExpr& right) {
    SqlType da = DecimalOperandType(left), db = DecimalOperandType(right);
    Decimal x;
    x.precision = da.precision;
    x.scale = da.scale;
    Decimal y;
    y.precision = db.precision;
    y.scale = db.scale;
    y.unscaled = 1;
    Decimal r = ApplyDecimal(op, x, y);
    return MakeType(TypeId::Numeric, 0, r.precision, r.scale);
}

void TypeArith(BoundExpr& b) {
    const SqlType& a = b.args[0]->type;
    const SqlType& c = b.args[1]->type;
    b.nullable = b.args[0]->nullable || b.args[1]->nullable;
    std::string op = OperatorName(b.arith);
    if (a.id == TypeId::Text || c.id == TypeId::Text)
        throw errors::IncompatibleTypes(TypeName(a.id), TypeName(c.id), op);
    if (IsTextType(a.id) && IsTextType(c.id)) {
        if (b.arith != ArithOp::Add)
            throw errors::IncompatibleTypes(TypeName(a.id), TypeName(c.id), op);
        b.type = MakeType(TypeId::VarChar, std::min(8000, a.length + c.length));
    } else if (a.id == TypeId::DateTime || c.id == TypeId::DateTime) {
        if (b.arith != ArithOp::Add && b.arith != ArithOp::Subtract)
            throw errors::InvalidOperandType("datetime", op);
        b.type = MakeType(TypeId::DateTime);
    } else if (IsExactNumeric(a.id) || IsExactNumeric(c.id)) {
        b.type = ExactArithType(b.arith, *b.args[0], *b.args[1]);
    } else {
        b.type = MakeType(TypeId::Int);
    }
}

}  // namespace

bool ContainsAggregate(const BoundExpr& e) {
    if (e.kind == BK::Aggregate) return true;
    for (auto& a : e.args)
        if (a && ContainsAggregate(*a)) return true;
    return false;
}

void MarkColumnsRead(const BoundExpr& e, std::vector<char>& columns) {
    if (e.kind == BK::Column) {
        assert(e.column >= 0 && static_cast<std::size_t>(e.column) < columns.size());
        columns[static_cast<std::size_t>(e.column)] = 1;
    }
    for (auto& a : e.args)
        if (a) MarkColumnsRead(*a, columns);
}

BoundExprPtr Binder::Expression(const Expr& e, const BindScope& scope) { return Node(e, scope); }

void Binder::BindArgs(const Expr& e, const BindScope& scope, BoundExpr& b) {
    if (e.kind == K::Aggregate) {
        if (!scope.allowAggregates) throw errors::AggregateInWhere();
        BindScope inner = scope;
        inner.allowAggregates = false;
        b.args.reserve(e.args.size());
        for (auto& a : e.args) {
            if (ContainsAggregateNode(*a)) throw errors::AggregateOfAggregate();
            b.args.push_back(Node(*a, inner));
        }
        return;
    }
    std::size_t count = e.kind == K::InSelect ? 1 : e.args.size();
    b.args.reserve(count);
    for (std::size_t i = 0; i < count; ++i) b.args.push_back(Node(*e.args[i], scope));
}

std::unique_ptr<BoundExpr> Binder::Node(const Expr& e, const BindScope& scope) {
    auto b = std::make_unique<BoundExpr>();
    b->kind = e.kind;
    b->negated = e.negated;
    b->distinct = e.distinct;
    BindArgs(e, scope, *b);
    switch (e.kind) {
        case K::Literal:
            b->literal = e.literal;
            b->integerLiteral = std::holds_alternative<std::int64_t>(e.literal);
            b->type = e.literalType;
            b->nullable = IsNull(e.literal);
            break;
        case K::Column: {
            b->name = e.name;
            b->column = ResolveColumn(scope, e.qualifier, e.name);
            const Column& c = (*scope.columns)[static_cast<std::size_t>(b->column)];
            b->type = c.type;
            b->nullable = c.nullable;
            break;
        }
        case K::Variable:
            BindVariable(e, *b);
            break;
        case K::Negate:
            b->type = IsTextType(b->args[0]->type.id) ? MakeType(TypeId::Int) : b->args[0]->type;
            b->nullable = b->args[0]->nullable;
            break;
        case K::Arith:
            b->arith = ArithOpOf(e.name);
            TypeArith(*b);
            break;
        case K::Compare: {
            b->compare = CompareOpOf(e.name);
            const SqlType& x = b->args[0]->type;
            const SqlType& y = b->args[1]->type;
            if (x.id == TypeId::Text || y.id == TypeId::Text)
                throw errors::IncompatibleTypes(TypeName(x.id), TypeName(y.id),
                                                OperatorName(b->compare));
            b->type = MakeType(TypeId::Bit);
            break;
        }
        case K::InSelect:
            if (scope.isDefault) throw errors::SubqueryNotAllowed();
            b->subquery = Subquery(*e.subquery);
            b->type = MakeType(TypeId::Bit);
            break;
        case K::And:
        case K::Or:
        case K::Not:
        case K::Like:
        case K::InList:
        case K::IsNull:
            b->type = MakeType(TypeId::Bit);
            break;
        case K::Cast:
            b->name = e.name;
            b->castType = e.castType;
            b->type = e.castType;
            b->nullable = b->args[0]->nullable;
            break;
        case K::Function:
            BindFunction(e.name, *b);
            break;
        case K::Aggregate:
            BindAggregate(e.name, *b);
            break;
    }
    return b;
}

}  // namespace standin
