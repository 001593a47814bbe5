#include "exec/Eval.h"

#include <set>

#include "types/Collation.h"
#include "types/Convert.h"
#include "types/DateTimeOps.h"
#include "types/DecimalMath.h"
#include "Errors.h"
#include "types/KeyEncoding.h"
#include "sql/Lexer.h"
#include "types/SqlTypes.h"

namespace standin {
namespace {

const SqlType kInt = MakeType(TypeId::Int);
const SqlType kBit = MakeType(TypeId::Bit);
const SqlType kDateTime = MakeType(TypeId::DateTime);

std::string OperatorName(const std::string& op) {
    if (op == "+") return "add";
    if (op == "-") return "subtract";
    if (op == "*") return "multiply";
    if (op == "/") return "divide";
    if (op == "%") return "modulo";
    if (op == "=") return "equal to";
    if (op == "<>") return "not equal to";
    if (op == "<") return "less than";
    if (op == ">") return "greater than";
    if (op == "<=") return "less than or equal to";
    return "greater than or equal to";
}

SqlType DecimalTypeOf(const SqlType& t) {
    if (IsExactNumeric(t.id)) return t;
    if (IsIntegerType(t.id)) return MakeType(TypeId::Numeric, 0, IntegerPrecision(t.id), 0);
    return MakeType(TypeId::Numeric, 0, 18, 0);
}

Decimal ToDecimal(const Value& v, const SqlType& t) {
    if (auto* d = std::get_if<Decimal>(&v)) return *d;
    if (auto* i = std::get_if<std::int64_t>(&v)) return DecimalFromInt(*i, IsIntegerType(t.id) ? IntegerPrecision(t.id) : 19);
    Value c = ConvertValue(v, t, MakeType(TypeId::Numeric, 0, 38, 10), ConvertMode::Implicit);
    Decimal d = std::get<Decimal>(c);
    // keep only the digits the text had
    while (d.scale > 0 && d.unscaled % 10 == 0) {
        d.unscaled /= 10;
        --d.scale;
    }
    d.precision = std::max(DigitCount(d.unscaled), d.scale + 1);
    return d;
}

std::int64_t ToInt(const Value& v, const SqlType& t) {
    if (auto* i = std::get_if<std::int64_t>(&v)) return *i;
    return std::get<std::int64_t>(ConvertValue(v, t, kInt, ConvertMode::Implicit));
}

std::int64_t CheckedInt(std::int64_t v) {
    if (v < -2147483648LL || v > 2147483647LL) throw errors::ArithmeticOverflow("expression", "int");
    return v;
}

void CheckArgs(const Expr& e, std::size_t lo, std::size_t hi) {
    if (e.args.size() < lo || e.args.size() > hi)
        throw errors::WrongArgumentCount(UpperAscii(e.name) == e.name ? LowerText(e.name) : e.name, static_cast<int>(lo));
}

bool IsText(const SqlType& t) { return IsTextType(t.id); }

}  // namespace

bool Evaluator::ContainsAggregate(const Expr& e) {
    if (e.kind == Expr::Kind::Aggregate) return true;
    for (auto& a : e.args)
        if (a && ContainsAggregate(*a)) return true;
    return false;
}

void Evaluator::Bind(Expr& e, const BindScope& scope) {
    using K = Expr::Kind;
    if (e.kind == K::Aggregate) {
        if (!scope.allowAggregates) throw errors::AggregateInWhere();
        BindScope inner = scope;
        inner.allowAggregates = false;
        for (auto& a : e.args) {
            if (ContainsAggregate(*a))
                throw errors::Other(130, 16, 1,
                                    "Cannot perform an aggregate function on an expression containing an aggregate or a subquery.",
                                    true);
            Bind(*a, inner);
        }
    } else if (e.kind != K::InSelect) {
        for (auto& a : e.args) Bind(*a, scope);
    } else {
        Bind(*e.args[0], scope);
    }
    switch (e.kind) {
        case K::Literal:
            e.type = e.literalType;
            e.nullable = IsNull(e.literal);
            break;
        case K::Column: {
            if (scope.valuesList)
                throw errors::Other(128, 15, 1,
                                    "The name \"" + e.name +
                                        "\" is not permitted in this context. Valid expressions are constants, constant "
                                        "expressions, and (in some contexts) variables. Column names are not permitted.",
                                    true);
            if (!e.qualifier.empty() &&
                !(SameName(e.qualifier, scope.tableName) || (!scope.tableAlias.empty() && SameName(e.qualifier, scope.tableAlias))))
                throw errors::Other(4104, 16, 1,
                                    "The multi-part identifier \"" + e.qualifier + "." + e.name + "\" could not be bound.", true);
            int idx = -1;
            if (scope.columns)
                for (std::size_t i = 0; i < scope.columns->size(); ++i)
                    if (SameName((*scope.columns)[i].name, e.name)) idx = static_cast<int>(i);
            if (idx < 0) throw errors::InvalidColumn(e.name);
            e.column = idx;
            e.type = (*scope.columns)[static_cast<std::size_t>(idx)].type;
            e.nullable = (*scope.columns)[static_cast<std::size_t>(idx)].nullable;
            break;
        }
        case K::Variable:
            if (e.name == "@@VERSION") {
                e.type = MakeType(TypeId::VarChar, 300);
            } else if (e.name == "@@SPID") {
                e.type = MakeType(TypeId::SmallInt);
            } else if (e.name == "@@TRANCOUNT") {
                e.type = kInt;  // statements never run inside a transaction here
            } else if (e.name == "@@ROWCOUNT" || e.name == "@@ERROR" || e.name == "@@IDENTITY") {
                // These depend on the session's previous statement, which this engine does not keep;
                // refusing is better than answering 0.
                throw errors::UnsupportedStatement(std::get<std::string>(e.literal));
            } else if (e.name == "@@SERVERNAME" || e.name == "@@SERVICENAME" || e.name == "@@LANGUAGE") {
                e.type = MakeType(TypeId::VarChar, 128);
            } else {
                throw errors::Other(137, 15, 2,
                                    "Must declare the scalar variable \"" + std::get<std::string>(e.literal) + "\".", true);
            }
            e.nullable = false;
            break;
        case K::Negate:
            e.type = e.args[0]->type;
            if (IsText(e.type)) e.type = kInt;
            e.nullable = e.args[0]->nullable;
            break;
        case K::Arith: {
            const SqlType& a = e.args[0]->type;
            const SqlType& b = e.args[1]->type;
            e.nullable = e.args[0]->nullable || e.args[1]->nullable;
            if (a.id == TypeId::Text || b.id == TypeId::Text)
                throw errors::IncompatibleTypes(TypeName(a.id), TypeName(b.id), OperatorName(e.name));
            if (IsText(a) && IsText(b)) {
                if (e.name != "+")
                    throw errors::Other(402, 16, 1,
                                        "The data types " + TypeName(a.id) + " and " + TypeName(b.id) +
                                            " are incompatible in the " + OperatorName(e.name) + " operator.",
                                        true);
                e.type = MakeType(TypeId::VarChar, std::min(8000, a.length + b.length));
            } else if (a.id == TypeId::DateTime || b.id == TypeId::DateTime) {
                if (e.name != "+" && e.name != "-")
                    throw errors::Other(8117, 16, 1,
                                        "Operand data type datetime is invalid for " + OperatorName(e.name) + " operator.",
                                        true);
                e.type = kDateTime;
            } else if (IsExactNumeric(a.id) || IsExactNumeric(b.id)) {
                // An integer constant takes part as decimal(digits, 0), as on SQL Server (7.0 / 2 has
                // six decimals, not twelve).
                auto operandType = [](const Expr& x) {
                    if (x.kind == K::Literal && std::holds_alternative<std::int64_t>(x.literal))
                        return MakeType(TypeId::Numeric, 0, DigitCount(std::get<std::int64_t>(x.literal)), 0);
                    return DecimalTypeOf(x.type);
                };
                SqlType da = operandType(*e.args[0]), db = operandType(*e.args[1]);
                Decimal x;
                x.precision = da.precision;
                x.scale = da.scale;
                Decimal y;
                y.precision = db.precision;
                y.scale = db.scale;
                y.unscaled = 1;
                Decimal r = e.name == "*" ? MultiplyDecimal(x, y)
                            : e.name == "/" ? DivideDecimal(x, y)
                            : e.name == "%" ? ModuloDecimal(x, y)
                                            : AddDecimal(x, y, e.name == "-");
                e.type = MakeType(TypeId::Numeric, 0, r.precision, r.scale);
            } else {
                e.type = kInt;
            }
            break;
        }
        case K::Compare: {
            const SqlType& a = e.args[0]->type;
            const SqlType& b = e.args[1]->type;
            if (a.id == TypeId::Text || b.id == TypeId::Text)
                throw errors::IncompatibleTypes(TypeName(a.id), TypeName(b.id), OperatorName(e.name));
            e.type = kBit;
            break;
        }
        case K::And:
        case K::Or:
        case K::Not:
        case K::Like:
        case K::InList:
        case K::IsNull:
            e.type = kBit;
            break;
        case K::InSelect:
            e.type = kBit;
            break;
        case K::Cast:
            e.type = e.castType;
            e.nullable = e.args[0]->nullable;
            break;
        case K::Function: BindFunction(e); break;
        case K::Aggregate: {
            e.nullable = true;
            if (e.name == "COUNT") {
                e.type = kInt;
                e.nullable = false;
            } else {
                const SqlType& t = e.args[0]->type;
                if (((e.name == "SUM" || e.name == "AVG") && !IsNumberType(t.id)) || t.id == TypeId::Text)
                    throw errors::Other(8117, 16, 1,
                                        "Operand data type " + TypeName(t.id) + " is invalid for " + LowerText(e.name) +
                                            " operator.",
                                        true);
                if (e.name == "SUM") e.type = IsExactNumeric(t.id) ? MakeType(t.id, 0, 38, t.scale) : kInt;
                else if (e.name == "AVG") e.type = IsExactNumeric(t.id) ? MakeType(t.id, 0, 38, std::max(t.scale, 6)) : kInt;
                else e.type = t;
            }
            break;
        }
    }
}

void Evaluator::BindFunction(Expr& e) {
    const std::string& n = e.name;
    auto argType = [&](std::size_t i) -> const SqlType& { return e.args[i]->type; };
    e.nullable = true;
    if (n == "GETDATE" || n == "CURRENT_TIMESTAMP") {
        CheckArgs(e, 0, 0);
        e.type = kDateTime;
        e.nullable = false;
    } else if (n == "LTRIM" || n == "RTRIM" || n == "UPPER" || n == "LOWER") {
        CheckArgs(e, 1, 1);
        e.type = MakeType(TypeId::VarChar, IsText(argType(0)) && argType(0).id != TypeId::Text ? argType(0).length : 8000);
    } else if (n == "LEN" || n == "DATALENGTH") {
        CheckArgs(e, 1, 1);
        e.type = kInt;
    } else if (n == "SUBSTRING") {
        CheckArgs(e, 3, 3);
        e.type = MakeType(TypeId::VarChar, IsText(argType(0)) && argType(0).id != TypeId::Text ? argType(0).length : 8000);
    } else if (n == "LEFT" || n == "RIGHT") {
        CheckArgs(e, 2, 2);
        e.type = MakeType(TypeId::VarChar, IsText(argType(0)) && argType(0).id != TypeId::Text ? argType(0).length : 8000);
    } else if (n == "REPLACE") {
        CheckArgs(e, 3, 3);
        e.type = MakeType(TypeId::VarChar, 8000);
    } else if (n == "CHARINDEX") {
        CheckArgs(e, 2, 3);
        e.type = kInt;
    } else if (n == "ISNULL") {
        CheckArgs(e, 2, 2);
        e.type = argType(0);
        e.nullable = e.args[1]->nullable;
    } else if (n == "COALESCE") {
        if (e.args.size() < 2)
            throw errors::Other(189, 15, 1, "The coalesce function requires 2 to 254 arguments.", true);
        SqlType t = argType(0);
        for (std::size_t i = 1; i < e.args.size(); ++i) t = CommonType(t, argType(i));
        e.type = t;
    } else if (n == "NULLIF") {
        CheckArgs(e, 2, 2);
        e.type = argType(0);
    } else if (n == "YEAR" || n == "MONTH" || n == "DAY") {
        CheckArgs(e, 1, 1);
        e.type = kInt;
    } else if (n == "ABS") {
        CheckArgs(e, 1, 1);
        e.type = IsText(argType(0)) ? MakeType(TypeId::Numeric, 0, 38, 10) : argType(0);
    } else if (n == "IDENT_SEED" || n == "IDENT_INCR" || n == "IDENT_CURRENT") {
        CheckArgs(e, 1, 1);
        e.type = MakeType(TypeId::Numeric, 0, 38, 0);
    } else if (n == "SPACE" || n == "STR") {
        CheckArgs(e, 1, 3);
        e.type = MakeType(TypeId::VarChar, 8000);
    } else {
        throw errors::UnknownFunction(LowerText(n));
    }
}

bool Evaluator::Test(const Expr& e, const Row* row) { return Truth(e, row) == Tri::True; }

Evaluator::Tri Evaluator::Truth(const Expr& e, const Row* row) {
    using K = Expr::Kind;
    switch (e.kind) {
        case K::And: {
            Tri a = Truth(*e.args[0], row);
            if (a == Tri::False) return Tri::False;
            Tri b = Truth(*e.args[1], row);
            if (b == Tri::False) return Tri::False;
            return a == Tri::True && b == Tri::True ? Tri::True : Tri::Unknown;
        }
        case K::Or: {
            Tri a = Truth(*e.args[0], row);
            if (a == Tri::True) return Tri::True;
            Tri b = Truth(*e.args[1], row);
            if (b == Tri::True) return Tri::True;
            return a == Tri::False && b == Tri::False ? Tri::False : Tri::Unknown;
        }
        case K::Not: {
            Tri a = Truth(*e.args[0], row);
            return a == Tri::Unknown ? Tri::Unknown : a == Tri::True ? Tri::False : Tri::True;
        }
        case K::Compare: {
            Value a = Eval(*e.args[0], row);
            Value b = Eval(*e.args[1], row);
            if (IsNull(a) || IsNull(b)) return Tri::Unknown;
            int c = CompareValues(a, e.args[0]->type, b, e.args[1]->type);
            bool r = e.name == "=" ? c == 0 : e.name == "<>" ? c != 0 : e.name == "<" ? c < 0 : e.name == ">" ? c > 0 : e.name == "<=" ? c <= 0 : c >= 0;
            return r ? Tri::True : Tri::False;
        }
        case K::Like: {
            Value a = Eval(*e.args[0], row);
            Value p = Eval(*e.args[1], row);
            if (IsNull(a) || IsNull(p)) return Tri::Unknown;
            bool m = LikeMatch(ValueAsText(a), ValueAsText(p));
            return m != e.negated ? Tri::True : Tri::False;
        }
        case K::IsNull: {
            bool n = IsNull(Eval(*e.args[0], row));
            return n != e.negated ? Tri::True : Tri::False;
        }
        case K::InList:
        case K::InSelect: {
            Value a = Eval(*e.args[0], row);
            if (IsNull(a)) return Tri::Unknown;
            bool sawNull = false, found = false;
            if (e.kind == K::InList) {
                for (std::size_t i = 1; i < e.args.size() && !found; ++i) {
                    Value b = Eval(*e.args[i], row);
                    if (IsNull(b)) sawNull = true;
                    else if (CompareValues(a, e.args[0]->type, b, e.args[i]->type) == 0) found = true;
                }
            } else {
                const SubqueryResult& sub = Subquery(e);
                for (const Value& b : sub.values) {
                    if (IsNull(b)) sawNull = true;
                    else if (CompareValues(a, e.args[0]->type, b, sub.type) == 0) {
                        found = true;
                        break;
                    }
                }
            }
            Tri r = found ? Tri::True : sawNull ? Tri::Unknown : Tri::False;
            if (e.negated && r != Tri::Unknown) r = r == Tri::True ? Tri::False : Tri::True;
            return r;
        }
        default: {
            Value v = Eval(e, row);
            if (IsNull(v)) return Tri::Unknown;
            if (auto* i = std::get_if<std::int64_t>(&v)) return *i != 0 ? Tri::True : Tri::False;
            throw errors::Other(4145, 15, 1, "An expression of non-boolean type specified in a context where a condition is expected.", true);
        }
    }
}

const Evaluator::SubqueryResult& Evaluator::Subquery(const Expr& e) {
    auto it = subqueries_.find(&e);
    if (it != subqueries_.end()) return it->second;
    SubqueryResult r;
    r.values = RunSubquery(env_, *e.subquery, r.type);
    return subqueries_.emplace(&e, std::move(r)).first->second;
}

Value Evaluator::Eval(const Expr& e, const Row* row) {
    using K = Expr::Kind;
    switch (e.kind) {
        case K::Literal: return e.literal;
        case K::Column: return row ? (*row)[static_cast<std::size_t>(e.column)] : Value{};
        case K::Variable:
            if (e.name == "@@VERSION")
                return std::string("Microsoft SQL Server 2008 R2 (sqlstandin) - 10.50.1600.1 (X64)\n\tsqlstandin embedded engine");
            if (e.name == "@@SPID") return static_cast<std::int64_t>(env_.session.spid);
            if (e.name == "@@SERVERNAME" || e.name == "@@SERVICENAME") return std::string("SQLSTANDIN");
            if (e.name == "@@LANGUAGE") return std::string("us_english");
            return std::int64_t{0};
        case K::Negate: {
            Value v = Eval(*e.args[0], row);
            if (IsNull(v)) return v;
            if (auto* d = std::get_if<Decimal>(&v)) {
                Decimal r = *d;
                r.unscaled = -r.unscaled;
                return r;
            }
            return CheckedInt(-ToInt(v, e.args[0]->type));
        }
        case K::Arith: return EvalArith(e, row);
        case K::Compare:
        case K::And:
        case K::Or:
        case K::Not:
        case K::Like:
        case K::InList:
        case K::InSelect:
        case K::IsNull: {
            Tri t = Truth(e, row);
            if (t == Tri::Unknown) return Value{};
            return std::int64_t{t == Tri::True ? 1 : 0};
        }
        case K::Cast: {
            Value v = Eval(*e.args[0], row);
            int style = 0;
            if (e.args.size() > 1) {
                Value s = Eval(*e.args[1], row);
                if (!IsNull(s)) style = static_cast<int>(ToInt(s, e.args[1]->type));
            }
            return ConvertValue(v, e.args[0]->type, e.castType, ConvertMode::Explicit, style);
        }
        case K::Function: return EvalFunction(e, row);
        case K::Aggregate: return EvalAggregate(e);
    }
    return Value{};
}

Value Evaluator::EvalArith(const Expr& e, const Row* row) {
    Value a = Eval(*e.args[0], row);
    Value b = Eval(*e.args[1], row);
    if (IsNull(a) || IsNull(b)) return Value{};
    const SqlType& ta = e.args[0]->type;
    const SqlType& tb = e.args[1]->type;
    const std::string& op = e.name;
    if (e.type.id == TypeId::VarChar && IsText(ta) && IsText(tb)) {
        // The result is varchar(8000) at most, as on SQL Server; longer text is cut there.
        std::string r = std::get<std::string>(a) + std::get<std::string>(b);
        r.resize(FitBytes(r, static_cast<std::size_t>(e.type.length)));
        return r;
    }
    if (e.type.id == TypeId::DateTime) {
        // datetime +/- number of days, or datetime - datetime (a datetime counted from 1900-01-01)
        auto asDays = [&](const Value& v, const SqlType& t) -> Decimal {
            if (auto* dt = std::get_if<DateTime>(&v)) {
                Decimal d;
                d.unscaled = static_cast<Int128>(dt->days) * kTicksPerDay + dt->ticks;
                d.scale = 0;
                d.precision = 38;
                return d;  // in ticks
            }
            if (IsText(t)) {
                Value c = ConvertValue(v, t, kDateTime, ConvertMode::Implicit);
                const DateTime& dt = std::get<DateTime>(c);
                Decimal d;
                d.unscaled = static_cast<Int128>(dt.days) * kTicksPerDay + dt.ticks;
                d.precision = 38;
                return d;
            }
            Decimal days = ToDecimal(v, t);
            // days * ticks per day, rounded to a whole tick; twelve decimals of a day are finer
            // than a tick, and a number of days this large leaves the datetime range anyway.
            if (days.scale > 12) {
                auto r = Rescale(days, 12);
                days.unscaled = r ? *r : 0;
                days.scale = 12;
            }
            Int128 num;
            if (__builtin_mul_overflow(days.unscaled, static_cast<Int128>(kTicksPerDay), &num)) throw errors::DateTimeOverflow();
            Int128 p = Pow10(days.scale);
            Int128 q = num / p, r = num % p;
            if ((r < 0 ? -r : r) * 2 >= p) q += num < 0 ? -1 : 1;
            Decimal ticks;
            ticks.precision = 38;
            ticks.unscaled = q;
            return ticks;
        };
        Decimal x = asDays(a, ta), y = asDays(b, tb);
        Int128 t;
        if (op == "+" ? __builtin_add_overflow(x.unscaled, y.unscaled, &t) : __builtin_sub_overflow(x.unscaled, y.unscaled, &t))
            throw errors::DateTimeOverflow();
        Int128 days = t / kTicksPerDay, ticks = t % kTicksPerDay;
        if (ticks < 0) {
            ticks += kTicksPerDay;
            days -= 1;
        }
        if (days < -100000 || days > 3000000 || !InDateTimeRange(static_cast<std::int32_t>(days))) throw errors::DateTimeOverflow();
        DateTime r;
        r.days = static_cast<std::int32_t>(days);
        r.ticks = static_cast<std::uint32_t>(ticks);
        return r;
    }
    if (IsExactNumeric(e.type.id)) {
        Decimal x = ToDecimal(a, ta), y = ToDecimal(b, tb);
        if (e.args[0]->kind == Expr::Kind::Literal && std::holds_alternative<std::int64_t>(a)) x.precision = DigitCount(x.unscaled);
        if (e.args[1]->kind == Expr::Kind::Literal && std::holds_alternative<std::int64_t>(b)) y.precision = DigitCount(y.unscaled);
        Decimal r = op == "+" ? AddDecimal(x, y, false)
                    : op == "-" ? AddDecimal(x, y, true)
                    : op == "*" ? MultiplyDecimal(x, y)
                    : op == "/" ? DivideDecimal(x, y)
                                : ModuloDecimal(x, y);
        // The value carries exactly the type the expression was bound to (what clients are told).
        auto fit = FitDecimal(r, e.type.precision, e.type.scale);
        if (!fit) throw errors::ArithmeticOverflow("expression", "numeric");
        return *fit;
    }
    std::int64_t x = ToInt(a, ta), y = ToInt(b, tb);
    if (op == "+") return CheckedInt(x + y);
    if (op == "-") return CheckedInt(x - y);
    if (op == "*") return CheckedInt(x * y);
    if (y == 0) throw errors::DivideByZero();
    if (op == "/") return CheckedInt(x / y);
    return x % y;
}

Value Evaluator::IdentityProperty(const std::string& function, const std::string& tableName) const {
    const Table* t = env_.catalogue.FindTable(TrimTrailingBlanks(tableName));
    if (!t) return Value{};
    for (const Column& c : t->columns) {
        if (!c.identity) continue;
        // A table that has never handed out a value answers its seed as its current value.
        const std::int64_t v = function == "IDENT_SEED"   ? c.seed
                               : function == "IDENT_INCR" ? c.increment
                               : t->identityUsed          ? t->identityLast
                                                          : c.seed;
        return Decimal{v, 38, 0};
    }
    return Value{};
}

Value Evaluator::EvalFunction(const Expr& e, const Row* row) {
    Value v = EvalFunctionValue(e, row);
    // A text result never exceeds its declared varchar width (a text argument can be longer).
    if (auto* s = std::get_if<std::string>(&v); s && e.type.id == TypeId::VarChar && s->size() > static_cast<std::size_t>(e.type.length))
        s->resize(FitBytes(*s, static_cast<std::size_t>(e.type.length)));
    return v;
}

Value Evaluator::EvalFunctionValue(const Expr& e, const Row* row) {
    const std::string& n = e.name;
    if (n == "GETDATE" || n == "CURRENT_TIMESTAMP") return env_.Now();
    std::vector<Value> a;
    for (auto& arg : e.args) a.push_back(Eval(*arg, row));
    auto text = [&](std::size_t i) { return ValueAsText(a[i]); };
    auto anyNull = [&]() {
        for (auto& v : a)
            if (IsNull(v)) return true;
        return false;
    };
    if (n == "ISNULL") {
        if (!IsNull(a[0])) return a[0];
        return ConvertValue(a[1], e.args[1]->type, e.type, ConvertMode::Explicit);
    }
    if (n == "COALESCE") {
        for (std::size_t i = 0; i < a.size(); ++i)
            if (!IsNull(a[i])) return ConvertValue(a[i], e.args[i]->type, e.type, ConvertMode::Implicit);
        return Value{};
    }
    if (n == "NULLIF") {
        if (IsNull(a[0]) || IsNull(a[1])) return a[0];
        return CompareValues(a[0], e.args[0]->type, a[1], e.args[1]->type) == 0 ? Value{} : a[0];
    }
    if (anyNull()) return Value{};
    if (n == "IDENT_SEED" || n == "IDENT_INCR" || n == "IDENT_CURRENT")
        return IdentityProperty(n, text(0));
    if (n == "LTRIM") {
        std::string s = text(0);
        std::size_t i = 0;
        while (i < s.size() && s[i] == ' ') ++i;
        return s.substr(i);
    }
    if (n == "RTRIM") return std::string(TrimTrailingBlanks(text(0)));
    if (n == "UPPER") return UpperText(text(0));
    if (n == "LOWER") return LowerText(text(0));
    if (n == "LEN") return static_cast<std::int64_t>(CharacterCount(TrimTrailingBlanks(text(0))));
    if (n == "DATALENGTH") {
        if (auto* s = std::get_if<std::string>(&a[0])) return static_cast<std::int64_t>(s->size());
        return static_cast<std::int64_t>(StorageLength(e.args[0]->type));
    }
    if (n == "SUBSTRING" || n == "LEFT" || n == "RIGHT") {
        std::string s = text(0);
        std::int64_t count = static_cast<std::int64_t>(CharacterCount(s));
        std::int64_t start, len;
        if (n == "SUBSTRING") {
            start = ToInt(a[1], e.args[1]->type);
            len = ToInt(a[2], e.args[2]->type);
        } else {
            len = ToInt(a[1], e.args[1]->type);
            start = n == "LEFT" ? 1 : count - len + 1;
        }
        if (len < 0)
            throw errors::Other(536, 16, 1, "Invalid length parameter passed to the " + LowerText(n) + " function.");
        std::int64_t from = std::max<std::int64_t>(start, 1);
        std::int64_t to = std::min<std::int64_t>(start + len, count + 1);  // exclusive
        if (to <= from) return std::string();
        std::size_t b = BytesOfCharacters(s, static_cast<std::size_t>(from - 1));
        std::size_t eb = BytesOfCharacters(s, static_cast<std::size_t>(to - 1));
        return s.substr(b, eb - b);
    }
    if (n == "REPLACE") {
        std::string s = text(0), find = text(1), repl = text(2);
        if (find.empty()) return s;
        std::string out;
        std::size_t i = 0;
        std::string key = CollationKey(find);
        while (i < s.size()) {
            if (i + find.size() <= s.size() && CollationKey(s.substr(i, find.size())) == key &&
                s.substr(i, find.size()).size() == find.size()) {
                out += repl;
                i += find.size();
                if (out.size() > 8000) break;  // the result is varchar(8000)
            } else {
                std::size_t len = IsGbkLead(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
                out += s.substr(i, len);
                i += len;
            }
        }
        return out;
    }
    if (n == "CHARINDEX") {
        std::string find = text(0), s = text(1);
        std::size_t startChar = a.size() > 2 ? static_cast<std::size_t>(std::max<std::int64_t>(1, ToInt(a[2], e.args[2]->type))) : 1;
        std::size_t i = BytesOfCharacters(s, startChar - 1);
        std::string key = CollationKey(find);
        for (; i + find.size() <= s.size(); ++i) {
            if (CollationKey(s.substr(i, find.size())) == key) return static_cast<std::int64_t>(CharacterCount(s.substr(0, i)) + 1);
        }
        return std::int64_t{0};
    }
    if (n == "YEAR" || n == "MONTH" || n == "DAY") {
        Value d = ConvertValue(a[0], e.args[0]->type, kDateTime, ConvertMode::Implicit);
        CivilDate c = CivilFromDays(std::get<DateTime>(d).days);
        return static_cast<std::int64_t>(n == "YEAR" ? c.year : n == "MONTH" ? c.month : c.day);
    }
    if (n == "ABS") {
        if (auto* d = std::get_if<Decimal>(&a[0])) {
            Decimal r = *d;
            if (r.unscaled < 0) r.unscaled = -r.unscaled;
            return r;
        }
        std::int64_t v = ToInt(a[0], e.args[0]->type);
        return CheckedInt(v < 0 ? -v : v);
    }
    if (n == "SPACE") return std::string(static_cast<std::size_t>(std::clamp<std::int64_t>(ToInt(a[0], e.args[0]->type), 0, 8000)), ' ');
    if (n == "STR") {
        Decimal d = ToDecimal(a[0], e.args[0]->type);
        std::int64_t width = std::min<std::int64_t>(a.size() > 1 ? ToInt(a[1], e.args[1]->type) : 10, 8000);
        int decimals = a.size() > 2 ? static_cast<int>(ToInt(a[2], e.args[2]->type)) : 0;
        auto r = Rescale(d, std::clamp(decimals, 0, 16));
        Decimal rd = d;
        rd.unscaled = r ? *r : 0;
        rd.scale = std::clamp(decimals, 0, 16);
        std::string s = DecimalToString(rd);
        if (static_cast<std::int64_t>(s.size()) > width) return std::string(static_cast<std::size_t>(std::max<std::int64_t>(width, 0)), '*');
        return std::string(static_cast<std::size_t>(width) - s.size(), ' ') + s;
    }
    throw errors::UnknownFunction(LowerText(n));
}

Value Evaluator::EvalAggregate(const Expr& e) {
    static const std::vector<const Row*> kNoRows;
    const std::vector<const Row*>& rows = group_ ? *group_ : kNoRows;
    if (e.name == "COUNT" && e.args.empty()) return static_cast<std::int64_t>(rows.size());
    const Expr& arg = *e.args[0];
    std::vector<Value> vals;
    std::set<std::string> seen;
    for (const Row* r : rows) {
        Value v = Eval(arg, r);
        if (IsNull(v)) continue;
        if (e.distinct && !seen.insert(EncodeKey({v})).second) continue;
        vals.push_back(std::move(v));
    }
    if (e.name == "COUNT") return static_cast<std::int64_t>(vals.size());
    if (vals.empty()) return Value{};
    if (e.name == "MIN" || e.name == "MAX") {
        Value best = vals[0];
        for (std::size_t i = 1; i < vals.size(); ++i) {
            int c = CompareValues(vals[i], arg.type, best, arg.type);
            if (e.name == "MIN" ? c < 0 : c > 0) best = vals[i];
        }
        return best;
    }
    if (IsExactNumeric(e.type.id)) {
        Decimal sum;
        sum.precision = 38;
        sum.scale = arg.type.scale;
        for (auto& v : vals) {
            Decimal d = ToDecimal(v, arg.type);
            auto r = Rescale(d, sum.scale);
            if (!r || __builtin_add_overflow(sum.unscaled, *r, &sum.unscaled) || DigitCount(sum.unscaled) > 38)
                throw errors::ArithmeticOverflow("expression", "numeric");
        }
        if (e.name == "SUM") return sum;
        Decimal count = DecimalFromInt(static_cast<std::int64_t>(vals.size()));
        Decimal avg = DivideDecimal(sum, count);
        auto fit = FitDecimal(avg, 38, e.type.scale);
        if (!fit) throw errors::ArithmeticOverflow("expression", "numeric");
        return *fit;
    }
    std::int64_t sum = 0;
    for (auto& v : vals) sum = CheckedInt(sum + ToInt(v, arg.type));
    if (e.name == "SUM") return sum;
    return sum / static_cast<std::int64_t>(vals.size());
}

}  // namespace standin
