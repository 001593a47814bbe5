#include "exec/Arithmetic.h"

#include <string>

#include "Errors.h"
#include "bind/Operators.h"
#include "exec/NumericOperands.h"
#include "types/Collation.h"
#include "types/Convert.h"
#include "types/DateTimeOps.h"
#include "types/SqlTypes.h"

namespace standin {

Decimal ToDecimal(const Value& v, const SqlType& t) {
    if (auto* d = std::get_if<Decimal>(&v)) return *d;
    if (auto* i = std::get_if<std::int64_t>(&v))
        return DecimalFromInt(*i, IsIntegerType(t.id) ? IntegerPrecision(t.id) : 19);
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
    return std::get<std::int64_t>(ConvertValue(v, t, MakeType(TypeId::Int), ConvertMode::Implicit));
}

std::int64_t CheckedInt(std::int64_t v) {
    if (v < -2147483648LL || v > 2147483647LL)
        throw errors::ArithmeticOverflow("expression", "int");
    return v;
}

namespace {

Decimal TicksOf(const DateTime& dt) {
    Decimal d;
    d.unscaled = static_cast<Int128>(dt.days) * kTicksPerDay + dt.ticks;
    d.scale = 0;
    d.precision = 38;
    return d;
}

// An operand of datetime arithmetic in ticks: a datetime counts from 1900-01-01, a number is days.
Decimal AsTicks(const Value& v, const SqlType& t) {
    if (auto* dt = std::get_if<DateTime>(&v)) return TicksOf(*dt);
    if (IsTextType(t.id))
        return TicksOf(std::get<DateTime>(
            ConvertValue(v, t, MakeType(TypeId::DateTime), ConvertMode::Implicit)));
    Decimal days = ToDecimal(v, t);
    // days * ticks per day, rounded to a whole tick; twelve decimals of a day are finer than a
    // tick, and a number of days this large leaves the datetime range anyway.
    if (days.scale > 12) {
        auto r = Rescale(days, 12);
        days.unscaled = r ? *r : 0;
        days.scale = 12;
    }
    Int128 num;
    if (__builtin_mul_overflow(Int128(days.unscaled), static_cast<Int128>(kTicksPerDay), &num))
        throw errors::DateTimeOverflow();
    Int128 p = Pow10(days.scale);
    Int128 q = num / p, r = num % p;
    if ((r < 0 ? -r : r) * 2 >= p) q += num < 0 ? -1 : 1;
    Decimal ticks;
    ticks.precision = 38;
    ticks.unscaled = q;
    return ticks;
}

Value DateTimeArithmetic(const BoundExpr& e, const Value& a, const Value& b) {
    Decimal x = AsTicks(a, e.args[0]->type), y = AsTicks(b, e.args[1]->type);
    Int128 t;
    bool overflow = e.arith == ArithOp::Add
                        ? __builtin_add_overflow(Int128(x.unscaled), Int128(y.unscaled), &t)
                        : __builtin_sub_overflow(Int128(x.unscaled), Int128(y.unscaled), &t);
    if (overflow) throw errors::DateTimeOverflow();
    Int128 days = t / kTicksPerDay, ticks = t % kTicksPerDay;
    if (ticks < 0) {
        ticks += kTicksPerDay;
        days -= 1;
    }
    if (days < -100000 || days > 3000000 || !InDateTimeRange(static_cast<std::int32_t>(days)))
        throw errors::DateTimeOverflow();
    DateTime r;
    r.days = static_cast<std::int32_t>(days);
    r.ticks = static_cast<std::uint32_t>(ticks);
    return r;
}

Value ExactArithmetic(const BoundExpr& e, const Value& a, const Value& b) {
    Decimal x = ToDecimal(a, e.args[0]->type), y = ToDecimal(b, e.args[1]->type);
    if (e.args[0]->integerLiteral) x.precision = DigitCount(x.unscaled);
    if (e.args[1]->integerLiteral) y.precision = DigitCount(y.unscaled);
    // The value carries exactly the type the expression was bound to (what clients are told).
    auto fit = FitDecimal(ApplyDecimal(e.arith, x, y), e.type.precision, e.type.scale);
    if (!fit) throw errors::ArithmeticOverflow("expression", "numeric");
    return *fit;
}

Value IntArithmetic(const BoundExpr& e, const Value& a, const Value& b) {
    std::int64_t x = ToInt(a, e.args[0]->type), y = ToInt(b, e.args[1]->type);
    switch (e.arith) {
        case ArithOp::Add:
            return CheckedInt(x + y);
        case ArithOp::Subtract:
            return CheckedInt(x - y);
        case ArithOp::Multiply:
            return CheckedInt(x * y);
        case ArithOp::Divide:
            if (y == 0) throw errors::DivideByZero();
            return CheckedInt(x / y);
        case ArithOp::Modulo:
            if (y == 0) throw errors::DivideByZero();
            return x % y;
    }
    return Value{};
}

}  // namespace

Value Arithmetic(const BoundExpr& e, const Value& a, const Value& b) {
    if (e.type.id == TypeId::VarChar && IsTextType(e.args[0]->type.id) &&
        IsTextType(e.args[1]->type.id)) {
        // The result is varchar(8000) at most, as on SQL Server; longer text is cut there.
        std::string r = std::get<std::string>(a) + std::get<std::string>(b);
        r.resize(FitBytes(r, static_cast<std::size_t>(e.type.length)));
        return r;
    }
    if (e.type.id == TypeId::DateTime) return DateTimeArithmetic(e, a, b);
    if (IsExactNumeric(e.type.id)) return ExactArithmetic(e, a, b);
    return IntArithmetic(e, a, b);
}

}  // namespace standin
