#include "types/Convert.h"

#include "Cp936.h"
#include "Errors.h"
#include "types/Collation.h"
#include "types/DateTimeOps.h"
#include "types/DecimalMath.h"
#include "types/SqlTypes.h"

namespace standin {
namespace {

std::string Shown(const std::string& cp936) { return kavel::Cp936ToUtf8Lossy(cp936); }

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() &&
           (s.front() == ' ' || s.front() == '\t' || s.front() == '\r' || s.front() == '\n'))
        s.remove_prefix(1);
    while (!s.empty() &&
           (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n'))
        s.remove_suffix(1);
    return s;
}

std::int64_t CheckIntRange(std::int64_t v, TypeId to, const char* fromWhat) {
    if (to == TypeId::Bit) return v != 0 ? 1 : 0;
    if (v < IntegerMin(to) || v > IntegerMax(to))
        throw errors::ArithmeticOverflow(fromWhat, TypeName(to));
    return v;
}

Value TextToInteger(const std::string& s, const SqlType& from, TypeId to) {
    std::string_view t = TrimBlanks(s);
    if (t.empty()) return std::int64_t{0};
    if (to == TypeId::Bit) {
        std::string up;
        for (char c : t) up += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (up == "TRUE") return std::int64_t{1};
        if (up == "FALSE") return std::int64_t{0};
    }
    std::size_t i = 0;
    bool neg = false;
    if (t[0] == '+' || t[0] == '-') {
        neg = t[0] == '-';
        ++i;
    }
    if (i == t.size()) throw errors::ConversionFailed(TypeName(from.id), Shown(s), TypeName(to));
    std::int64_t v = 0;
    bool big = false;
    for (; i < t.size(); ++i) {
        if (t[i] < '0' || t[i] > '9')
            throw errors::ConversionFailed(TypeName(from.id), Shown(s), TypeName(to));
        if (v > 100000000000LL)
            big = true;
        else
            v = v * 10 + (t[i] - '0');
    }
    if (neg) v = -v;
    if (to == TypeId::Bit) return std::int64_t{v != 0 ? 1 : 0};
    if (big || v < IntegerMin(to) || v > IntegerMax(to))
        throw errors::ConversionOverflow(TypeName(from.id), Shown(s), TypeName(to));
    return v;
}

Value TextToDecimal(const std::string& s, const SqlType& from, const SqlType& to) {
    std::string_view t = TrimBlanks(s);
    auto d = ParseDecimalLiteral(t);
    if (!d) throw errors::ErrorConverting(TypeName(from.id), TypeName(to.id));
    auto fit = FitDecimal(*d, to.precision, to.scale);
    if (!fit) throw errors::ArithmeticOverflow(TypeName(from.id), TypeName(to.id));
    return *fit;
}

Value TextToDateTime(const std::string& s, const SqlType& from) {
    DateTime dt;
    switch (ParseDateTime(s, dt)) {
        case DateParse::Ok:
            return dt;
        case DateParse::OutOfRange:
            throw errors::DateOutOfRange(TypeName(from.id));
        case DateParse::Invalid:
            break;
    }
    throw errors::DateConversionFailed();
}

// Fits text into char(n)/varchar(n).
std::string FitText(std::string s, const SqlType& to, ConvertMode mode) {
    if (to.id == TypeId::Text) return s;
    std::size_t n = static_cast<std::size_t>(to.length);
    if (s.size() > n) {
        if (mode == ConvertMode::Store) {
            // Only blanks may be dropped silently.
            for (std::size_t i = n; i < s.size(); ++i)
                if (s[i] != ' ') throw errors::Truncation();
            // a double-byte character must not be cut either
            std::size_t fit = FitBytes(s, n);
            if (fit < n && s.size() > fit) {
                for (std::size_t i = fit; i < s.size(); ++i)
                    if (s[i] != ' ') throw errors::Truncation();
            }
            s.resize(fit);
        } else {
            s.resize(FitBytes(s, n));
        }
    }
    if (to.id == TypeId::Char && s.size() < n) s.append(n - s.size(), ' ');
    return s;
}

Value DaysToDateTime(const Decimal& value) {
    // whole days plus the fraction as ticks, rounded to the nearest tick
    Decimal days = value;
    if (days.scale > 12) {  // finer than a tick
        auto r = Rescale(days, 12);
        days.unscaled = r ? *r : 0;
        days.scale = 12;
    }
    Int128 p = Pow10(days.scale);
    Int128 whole = days.unscaled / p;
    Int128 frac = days.unscaled % p;
    if (frac < 0) {
        frac += p;
        whole -= 1;
    }
    Int128 ticks = (frac * kTicksPerDay + p / 2) / p;
    if (ticks >= kTicksPerDay) {
        ticks -= kTicksPerDay;
        whole += 1;
    }
    if (whole < -100000 || whole > 3000000 || !InDateTimeRange(static_cast<std::int32_t>(whole)))
        throw errors::ArithmeticOverflow("expression", "datetime");
    DateTime dt;
    dt.days = static_cast<std::int32_t>(whole);
    dt.ticks = static_cast<std::uint32_t>(ticks);
    return dt;
}

}  // namespace

SqlType VarCharOf(std::size_t bytes) {
    return MakeType(TypeId::VarChar,
                    static_cast<int>(std::max<std::size_t>(1, std::min<std::size_t>(bytes, 8000))));
}

std::string ValueAsText(const Value& v, int style) {
    if (auto* i = std::get_if<std::int64_t>(&v)) return std::to_string(*i);
    if (auto* d = std::get_if<Decimal>(&v)) return DecimalToString(*d);
    if (auto* dt = std::get_if<DateTime>(&v)) return FormatDateTimeStyle(*dt, style);
    if (auto* s = std::get_if<std::string>(&v)) return *s;
    return "";
}

Value ConvertValue(const Value& v, const SqlType& from, const SqlType& to, ConvertMode mode,
                   int style) {
    if (IsNull(v)) return v;
    if (IsTextType(to.id)) {
        if (auto* s = std::get_if<std::string>(&v)) return FitText(*s, to, mode);
        std::string text = ValueAsText(v, style);
        if (to.id != TypeId::Text && text.size() > static_cast<std::size_t>(to.length)) {
            if (std::holds_alternative<std::int64_t>(v)) {
                if (mode == ConvertMode::Store) throw errors::Truncation();
                return FitText("*", to, ConvertMode::Explicit);
            }
            if (std::holds_alternative<Decimal>(v))
                throw errors::ArithmeticOverflow("numeric", TypeName(to.id));
            if (mode == ConvertMode::Store) throw errors::Truncation();
        }
        return FitText(std::move(text), to, ConvertMode::Explicit);
    }
    if (IsIntegerType(to.id)) {
        if (auto* i = std::get_if<std::int64_t>(&v)) return CheckIntRange(*i, to.id, "expression");
        if (auto* d = std::get_if<Decimal>(&v)) {
            Int128 w = d->unscaled / Pow10(d->scale);  // truncates toward zero, as SQL Server does
            if (to.id == TypeId::Bit) return std::int64_t{d->unscaled != 0 ? 1 : 0};
            if (w < IntegerMin(to.id) || w > IntegerMax(to.id))
                throw errors::ArithmeticOverflow(TypeName(from.id), TypeName(to.id));
            return static_cast<std::int64_t>(w);
        }
        if (auto* s = std::get_if<std::string>(&v)) return TextToInteger(*s, from, to.id);
        if (auto* dt = std::get_if<DateTime>(&v)) {
            if (mode != ConvertMode::Explicit)
                throw errors::ImplicitConversion("datetime", TypeName(to.id));
            std::int64_t days = dt->days + (dt->ticks >= kTicksPerDay / 2 ? 1 : 0);
            return CheckIntRange(days, to.id, "expression");
        }
    }
    if (IsExactNumeric(to.id)) {
        if (auto* i = std::get_if<std::int64_t>(&v)) {
            auto fit = FitDecimal(DecimalFromInt(*i), to.precision, to.scale);
            if (!fit)
                throw errors::ArithmeticOverflow(
                    TypeName(IsIntegerType(from.id) ? from.id : TypeId::Int), TypeName(to.id));
            return *fit;
        }
        if (auto* d = std::get_if<Decimal>(&v)) {
            auto fit = FitDecimal(*d, to.precision, to.scale);
            if (!fit) throw errors::ArithmeticOverflow("numeric", TypeName(to.id));
            return *fit;
        }
        if (auto* s = std::get_if<std::string>(&v)) return TextToDecimal(*s, from, to);
        if (std::holds_alternative<DateTime>(v))
            throw errors::ImplicitConversion("datetime", TypeName(to.id));
    }
    if (to.id == TypeId::DateTime) {
        if (auto* dt = std::get_if<DateTime>(&v)) return *dt;
        if (auto* s = std::get_if<std::string>(&v)) return TextToDateTime(*s, from);
        if (auto* i = std::get_if<std::int64_t>(&v)) return DaysToDateTime(DecimalFromInt(*i));
        if (auto* d = std::get_if<Decimal>(&v)) return DaysToDateTime(*d);
    }
    return v;
}

SqlType CommonType(const SqlType& a, const SqlType& b) {
    if (IsExactNumeric(a.id) && IsExactNumeric(b.id)) {
        int scale = std::max(a.scale, b.scale);
        int integral = std::max(a.precision - a.scale, b.precision - b.scale);
        return MakeType(TypeId::Numeric, 0, std::min(38, integral + scale), scale);
    }
    if (IsExactNumeric(a.id) && IsIntegerType(b.id)) {
        int integral = std::max(a.precision - a.scale, IntegerPrecision(b.id));
        return MakeType(TypeId::Numeric, 0, std::min(38, integral + a.scale), a.scale);
    }
    if (IsExactNumeric(b.id) && IsIntegerType(a.id)) return CommonType(b, a);
    if (IsTextType(a.id) && IsTextType(b.id)) {
        TypeId id = (a.id == TypeId::Text || b.id == TypeId::Text)         ? TypeId::Text
                    : (a.id == TypeId::VarChar || b.id == TypeId::VarChar) ? TypeId::VarChar
                                                                           : TypeId::Char;
        return MakeType(id, std::max(a.length, b.length));
    }
    if (IsExactNumeric(a.id) && IsTextType(b.id))
        return MakeType(TypeId::Numeric, 0, 38, std::min(a.scale + 10, 20));
    if (IsExactNumeric(b.id) && IsTextType(a.id)) return CommonType(b, a);
    return TypePrecedence(a.id) >= TypePrecedence(b.id) ? a : b;
}

namespace {

int Cmp3(auto x, auto y) { return x < y ? -1 : x > y ? 1 : 0; }

Decimal AsDecimal(const Value& v, const SqlType& t) {
    if (auto* d = std::get_if<Decimal>(&v)) return *d;
    if (auto* i = std::get_if<std::int64_t>(&v)) return DecimalFromInt(*i, 19);
    if (auto* s = std::get_if<std::string>(&v)) {
        auto d = ParseDecimalLiteral(TrimBlanks(*s));
        if (!d) throw errors::ErrorConverting(TypeName(t.id), "numeric");
        return *d;
    }
    throw errors::ImplicitConversion(TypeName(t.id), "numeric");
}

}  // namespace

int CompareValues(const Value& a, const SqlType& ta, const Value& b, const SqlType& tb) {
    auto* sa = std::get_if<std::string>(&a);
    auto* sb = std::get_if<std::string>(&b);
    if (sa && sb) return CompareText(*sa, *sb);
    auto* ia = std::get_if<std::int64_t>(&a);
    auto* ib = std::get_if<std::int64_t>(&b);
    if (ia && ib) return Cmp3(*ia, *ib);
    bool dateA = std::holds_alternative<DateTime>(a), dateB = std::holds_alternative<DateTime>(b);
    if (dateA || dateB) {
        Value x =
            dateA ? a : ConvertValue(a, ta, MakeType(TypeId::DateTime), ConvertMode::Implicit);
        Value y =
            dateB ? b : ConvertValue(b, tb, MakeType(TypeId::DateTime), ConvertMode::Implicit);
        const DateTime& p = std::get<DateTime>(x);
        const DateTime& q = std::get<DateTime>(y);
        if (p.days != q.days) return Cmp3(p.days, q.days);
        return Cmp3(p.ticks, q.ticks);
    }
    if (std::holds_alternative<Decimal>(a) || std::holds_alternative<Decimal>(b)) {
        return CompareDecimal(AsDecimal(a, ta), AsDecimal(b, tb));
    }
    // integer against text: the text converts to the integer type
    if (ia && sb) {
        Value y = ConvertValue(b, tb, MakeType(TypeId::Int), ConvertMode::Implicit);
        return Cmp3(*ia, std::get<std::int64_t>(y));
    }
    if (sa && ib) {
        Value x = ConvertValue(a, ta, MakeType(TypeId::Int), ConvertMode::Implicit);
        return Cmp3(std::get<std::int64_t>(x), *ib);
    }
    return 0;
}

int CompareForSort(const Value& a, const SqlType& ta, const Value& b, const SqlType& tb) {
    bool na = IsNull(a), nb = IsNull(b);
    if (na || nb) return na == nb ? 0 : na ? -1 : 1;
    return CompareValues(a, ta, b, tb);
}

}  // namespace standin
