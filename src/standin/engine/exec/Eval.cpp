#include "exec/Eval.h"

#include <set>

#include "Errors.h"
#include "bind/BoundStatement.h"
#include "exec/Arithmetic.h"
#include "exec/Executor.h"
#include "exec/NumericOperands.h"
#include "exec/ScalarFunctions.h"
#include "types/Collation.h"
#include "types/Convert.h"
#include "types/KeyEncoding.h"
#include "types/SqlTypes.h"

namespace standin {
namespace {

using K = BoundExpr::Kind;

bool Compared(CompareOp op, int c) {
    switch (op) {
        case CompareOp::Equal:
            return c == 0;
        case CompareOp::NotEqual:
            return c != 0;
        case CompareOp::Less:
            return c < 0;
        case CompareOp::Greater:
            return c > 0;
        case CompareOp::LessOrEqual:
            return c <= 0;
        case CompareOp::GreaterOrEqual:
            return c >= 0;
    }
    return false;
}

Value VariableValue(SystemVariable v, const Session& session) {
    switch (v) {
        case SystemVariable::Version:
            return std::string(
                "Microsoft SQL Server 2008 R2 (sqlstandin) - 10.50.1600.1 (X64)\n"
                "\tsqlstandin embedded engine");
        case SystemVariable::Spid:
            return static_cast<std::int64_t>(session.spid);
        case SystemVariable::ServerName:
        case SystemVariable::ServiceName:
            return std::string("SQLSTANDIN");
        case SystemVariable::Language:
            return std::string("us_english");
        case SystemVariable::TranCount:
            break;
    }
    return std::int64_t{0};
}

Value Negated(const Value& v, const SqlType& t) {
    if (IsNull(v)) return v;
    if (auto* d = std::get_if<Decimal>(&v)) {
        Decimal r = *d;
        r.unscaled = -r.unscaled;
        return r;
    }
    return CheckedInt(-ToInt(v, t));
}

}  // namespace

bool Evaluator::Test(const BoundExpr& e, const Row* row) { return Truth(e, row) == Tri::True; }

Evaluator::Tri Evaluator::Truth(const BoundExpr& e, const Row* row) {
    auto tri = [](bool b) { return b ? Tri::True : Tri::False; };
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
            return a == Tri::Unknown ? Tri::Unknown : tri(a != Tri::True);
        }
        case K::Compare: {
            Value a = Eval(*e.args[0], row);
            Value b = Eval(*e.args[1], row);
            if (IsNull(a) || IsNull(b)) return Tri::Unknown;
            return tri(Compared(e.compare, CompareValues(a, e.args[0]->type, b, e.args[1]->type)));
        }
        case K::Like: {
            Value a = Eval(*e.args[0], row);
            Value p = Eval(*e.args[1], row);
            if (IsNull(a) || IsNull(p)) return Tri::Unknown;
            return tri(LikeMatch(ValueAsText(a), ValueAsText(p)) != e.negated);
        }
        case K::IsNull:
            return tri(IsNull(Eval(*e.args[0], row)) != e.negated);
        case K::InList:
        case K::InSelect:
            return InTruth(e, row);
        default: {
            Value v = Eval(e, row);
            if (IsNull(v)) return Tri::Unknown;
            if (auto* i = std::get_if<std::int64_t>(&v)) return tri(*i != 0);
            throw errors::NonBooleanCondition();
        }
    }
}

Evaluator::Tri Evaluator::InTruth(const BoundExpr& e, const Row* row) {
    Value a = Eval(*e.args[0], row);
    if (IsNull(a)) return Tri::Unknown;
    const SqlType& ta = e.args[0]->type;
    bool sawNull = false, found = false;
    if (e.kind == K::InList) {
        for (std::size_t i = 1; i < e.args.size() && !found; ++i) {
            Value b = Eval(*e.args[i], row);
            if (IsNull(b))
                sawNull = true;
            else if (CompareValues(a, ta, b, e.args[i]->type) == 0)
                found = true;
        }
    } else {
        const SqlType& tb = e.subquery->items[0].expr->type;
        for (const Value& b : Subquery(e)) {
            if (IsNull(b))
                sawNull = true;
            else if (CompareValues(a, ta, b, tb) == 0) {
                found = true;
                break;
            }
        }
    }
    Tri r = found ? Tri::True : sawNull ? Tri::Unknown : Tri::False;
    if (e.negated && r != Tri::Unknown) r = r == Tri::True ? Tri::False : Tri::True;
    return r;
}

const std::vector<Value>& Evaluator::Subquery(const BoundExpr& e) {
    auto it = subqueries_.find(&e);
    if (it != subqueries_.end()) return it->second;
    ResultSet rs = RunSelect(env_, *e.subquery);
    std::vector<Value> values;
    values.reserve(rs.rows.size());
    for (auto& r : rs.rows) values.push_back(std::move(r[0]));
    return subqueries_.emplace(&e, std::move(values)).first->second;
}

Value Evaluator::Eval(const BoundExpr& e, const Row* row) {
    switch (e.kind) {
        case K::Literal:
            return e.literal;
        case K::Column:
            return row ? (*row)[static_cast<std::size_t>(e.column)] : Value{};
        case K::Variable:
            return VariableValue(e.variable, env_.session);
        case K::Negate:
            return Negated(Eval(*e.args[0], row), e.args[0]->type);
        case K::Arith: {
            Value a = Eval(*e.args[0], row);
            Value b = Eval(*e.args[1], row);
            if (IsNull(a) || IsNull(b)) return Value{};
            return Arithmetic(e, a, b);
        }
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
        case K::Cast:
            return EvalCast(e, row);
        case K::Function:
            return EvalFunction(e, row);
        case K::Aggregate:
            return EvalAggregate(e);
    }
    return Value{};
}

Value Evaluator::EvalCast(const BoundExpr& e, const Row* row) {
    Value v = Eval(*e.args[0], row);
    int style = 0;
    if (e.args.size() > 1) {
        Value s = Eval(*e.args[1], row);
        if (!IsNull(s)) style = static_cast<int>(ToInt(s, e.args[1]->type));
    }
    return ConvertValue(v, e.args[0]->type, e.castType, ConvertMode::Explicit, style);
}

Value Evaluator::EvalFunction(const BoundExpr& e, const Row* row) {
    if (e.function == ScalarFn::GetDate) return env_.Now();
    std::vector<Value> args;
    args.reserve(e.args.size());
    for (auto& a : e.args) args.push_back(Eval(*a, row));
    if (e.function == ScalarFn::IdentSeed || e.function == ScalarFn::IdentIncr ||
        e.function == ScalarFn::IdentCurrent)
        return IsNull(args[0]) ? Value{} : IdentityProperty(e.function, ValueAsText(args[0]));
    Value v = CallScalarFunction(e, args);
    // A text result never exceeds its declared varchar width (a text argument can be longer).
    if (auto* s = std::get_if<std::string>(&v);
        s && e.type.id == TypeId::VarChar && s->size() > static_cast<std::size_t>(e.type.length))
        s->resize(FitBytes(*s, static_cast<std::size_t>(e.type.length)));
    return v;
}

Value Evaluator::IdentityProperty(ScalarFn function, const std::string& tableName) const {
    const Table* t = env_.catalogue.FindTable(TrimTrailingBlanks(tableName));
    if (!t) return Value{};
    for (const Column& c : t->columns) {
        if (!c.identity) continue;
        // A table that has never handed out a value answers its seed as its current value.
        const std::int64_t v = function == ScalarFn::IdentSeed   ? c.seed
                               : function == ScalarFn::IdentIncr ? c.increment
                               : t->identityUsed                 ? t->identityLast
                                                                 : c.seed;
        return Decimal{v, 38, 0};
    }
    return Value{};
}

namespace {

Decimal ExactSum(const std::vector<Value>& values, const SqlType& type) {
    Decimal sum;
    sum.precision = 38;
    sum.scale = type.scale;
    Int128 total = 0;  // a local: the stored member is only 8-byte aligned
    for (auto& v : values) {
        auto r = Rescale(ToDecimal(v, type), sum.scale);
        if (!r || __builtin_add_overflow(total, *r, &total) || DigitCount(total) > 38)
            throw errors::ArithmeticOverflow("expression", "numeric");
    }
    sum.unscaled = total;
    return sum;
}

Value Extreme(const std::vector<Value>& values, const SqlType& type, bool smallest) {
    Value best = values[0];
    for (std::size_t i = 1; i < values.size(); ++i) {
        int c = CompareValues(values[i], type, best, type);
        if (smallest ? c < 0 : c > 0) best = values[i];
    }
    return best;
}

// SUM and AVG of the non-NULL values (at least one).
Value Summed(const BoundExpr& e, const std::vector<Value>& values, const SqlType& type) {
    bool average = e.aggregate == AggregateFn::Avg;
    if (IsExactNumeric(e.type.id)) {
        Decimal sum = ExactSum(values, type);
        if (!average) return sum;
        Decimal count = DecimalFromInt(static_cast<std::int64_t>(values.size()));
        auto fit = FitDecimal(DivideDecimal(sum, count), 38, e.type.scale);
        if (!fit) throw errors::ArithmeticOverflow("expression", "numeric");
        return *fit;
    }
    std::int64_t sum = 0;
    for (auto& v : values) sum = CheckedInt(sum + ToInt(v, type));
    if (!average) return sum;
    return sum / static_cast<std::int64_t>(values.size());
}

}  // namespace

Value Evaluator::EvalAggregate(const BoundExpr& e) {
    const std::size_t rows = group_ ? group_->ids.size() : 0;
    if (e.aggregate == AggregateFn::Count && e.args.empty()) return static_cast<std::int64_t>(rows);
    const BoundExpr& arg = *e.args[0];
    std::vector<Value> values;
    std::set<std::string> seen;
    Row scratch;
    for (std::size_t k = 0; k < rows; ++k) {
        Value v = Eval(arg, group_->Read(k, scratch));
        if (IsNull(v)) continue;
        if (e.distinct && !seen.insert(EncodeKey({v})).second) continue;
        values.push_back(std::move(v));
    }
    if (e.aggregate == AggregateFn::Count) return static_cast<std::int64_t>(values.size());
    if (values.empty()) return Value{};
    switch (e.aggregate) {
        case AggregateFn::Min:
            return Extreme(values, arg.type, true);
        case AggregateFn::Max:
            return Extreme(values, arg.type, false);
        default:
            return Summed(e, values, arg.type);
    }
}

}  // namespace standin
