#include "exec/ScalarFunctions.h"

#include <algorithm>

#include "Errors.h"
#include "exec/NumericOperands.h"
#include "types/Collation.h"
#include "types/Convert.h"
#include "types/DateTimeOps.h"
#include "types/SqlTypes.h"

namespace standin {
namespace {

using Args = std::vector<Value>;

std::string FunctionName(ScalarFn f) {
    switch (f) {
        case ScalarFn::Substring:
            return "substring";
        case ScalarFn::Left:
            return "left";
        default:
            return "right";
    }
}

// SUBSTRING(s, start, length), LEFT(s, n), RIGHT(s, n), counting characters.
Value Substring(const BoundExpr& e, const Args& a) {
    std::string s = ValueAsText(a[0]);
    std::int64_t count = static_cast<std::int64_t>(CharacterCount(s));
    std::int64_t start, len;
    if (e.function == ScalarFn::Substring) {
        start = ToInt(a[1], e.args[1]->type);
        len = ToInt(a[2], e.args[2]->type);
    } else {
        len = ToInt(a[1], e.args[1]->type);
        start = e.function == ScalarFn::Left ? 1 : count - len + 1;
    }
    if (len < 0) throw errors::InvalidLengthParameter(FunctionName(e.function));
    std::int64_t from = std::max<std::int64_t>(start, 1);
    std::int64_t to = std::min<std::int64_t>(start + len, count + 1);  // exclusive
    if (to <= from) return std::string();
    std::size_t b = BytesOfCharacters(s, static_cast<std::size_t>(from - 1));
    std::size_t eb = BytesOfCharacters(s, static_cast<std::size_t>(to - 1));
    return s.substr(b, eb - b);
}

// REPLACE(s, find, replacement): matches compare as the collation compares.
Value Replace(const Args& a) {
    std::string s = ValueAsText(a[0]), find = ValueAsText(a[1]), repl = ValueAsText(a[2]);
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
            std::size_t len =
                IsGbkLead(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
            out += s.substr(i, len);
            i += len;
        }
    }
    return out;
}

// CHARINDEX(find, s [, start]): the character position of the first match, 0 for none.
Value CharIndex(const BoundExpr& e, const Args& a) {
    std::string find = ValueAsText(a[0]), s = ValueAsText(a[1]);
    std::size_t startChar =
        a.size() > 2
            ? static_cast<std::size_t>(std::max<std::int64_t>(1, ToInt(a[2], e.args[2]->type)))
            : 1;
    std::size_t i = BytesOfCharacters(s, startChar - 1);
    std::string key = CollationKey(find);
    for (; i + find.size() <= s.size(); ++i)
        if (CollationKey(s.substr(i, find.size())) == key)
            return static_cast<std::int64_t>(CharacterCount(s.substr(0, i)) + 1);
    return std::int64_t{0};
}

Value DatePart(const BoundExpr& e, const Args& a) {
    Value d =
        ConvertValue(a[0], e.args[0]->type, MakeType(TypeId::DateTime), ConvertMode::Implicit);
    CivilDate c = CivilFromDays(std::get<DateTime>(d).days);
    int part = e.function == ScalarFn::Year    ? c.year
               : e.function == ScalarFn::Month ? c.month
                                               : c.day;
    return static_cast<std::int64_t>(part);
}

Value Abs(const BoundExpr& e, const Args& a) {
    if (auto* d = std::get_if<Decimal>(&a[0])) {
        Decimal r = *d;
        if (r.unscaled < 0) r.unscaled = -r.unscaled;
        return r;
    }
    std::int64_t v = ToInt(a[0], e.args[0]->type);
    return CheckedInt(v < 0 ? -v : v);
}

// STR(number [, width [, decimals]]): right-aligned, '*' when it does not fit.
Value Str(const BoundExpr& e, const Args& a) {
    Decimal d = ToDecimal(a[0], e.args[0]->type);
    std::int64_t width =
        std::min<std::int64_t>(a.size() > 1 ? ToInt(a[1], e.args[1]->type) : 10, 8000);
    int decimals =
        std::clamp(a.size() > 2 ? static_cast<int>(ToInt(a[2], e.args[2]->type)) : 0, 0, 16);
    auto r = Rescale(d, decimals);
    Decimal rd = d;
    rd.unscaled = r ? *r : 0;
    rd.scale = decimals;
    std::string s = DecimalToString(rd);
    if (static_cast<std::int64_t>(s.size()) > width)
        return std::string(static_cast<std::size_t>(std::max<std::int64_t>(width, 0)), '*');
    return std::string(static_cast<std::size_t>(width) - s.size(), ' ') + s;
}

// The functions that look at NULL arguments themselves.
Value NullHandling(const BoundExpr& e, const Args& a) {
    switch (e.function) {
        case ScalarFn::IsNull:
            if (!IsNull(a[0])) return a[0];
            return ConvertValue(a[1], e.args[1]->type, e.type, ConvertMode::Explicit);
        case ScalarFn::Coalesce:
            for (std::size_t i = 0; i < a.size(); ++i)
                if (!IsNull(a[i]))
                    return ConvertValue(a[i], e.args[i]->type, e.type, ConvertMode::Implicit);
            return Value{};
        default:  // NULLIF
            if (IsNull(a[0]) || IsNull(a[1])) return a[0];
            return CompareValues(a[0], e.args[0]->type, a[1], e.args[1]->type) == 0 ? Value{}
                                                                                    : a[0];
    }
}

Value TextFunction(const BoundExpr& e, const Args& a) {
    std::string s = ValueAsText(a[0]);
    switch (e.function) {
        case ScalarFn::LTrim:
            return s.substr(std::min(s.find_first_not_of(' '), s.size()));
        case ScalarFn::RTrim:
            return std::string(TrimTrailingBlanks(s));
        case ScalarFn::Upper:
            return UpperText(s);
        case ScalarFn::Lower:
            return LowerText(s);
        default:  // LEN
            return static_cast<std::int64_t>(CharacterCount(TrimTrailingBlanks(s)));
    }
}

}  // namespace

Value CallScalarFunction(const BoundExpr& e, const Args& a) {
    ScalarFn f = e.function;
    if (f == ScalarFn::IsNull || f == ScalarFn::Coalesce || f == ScalarFn::NullIf)
        return NullHandling(e, a);
    for (auto& v : a)
        if (IsNull(v)) return Value{};
    switch (f) {
        case ScalarFn::LTrim:
        case ScalarFn::RTrim:
        case ScalarFn::Upper:
        case ScalarFn::Lower:
        case ScalarFn::Len:
            return TextFunction(e, a);
        case ScalarFn::DataLength:
            if (auto* s = std::get_if<std::string>(&a[0]))
                return static_cast<std::int64_t>(s->size());
            return static_cast<std::int64_t>(StorageLength(e.args[0]->type));
        case ScalarFn::Substring:
        case ScalarFn::Left:
        case ScalarFn::Right:
            return Substring(e, a);
        case ScalarFn::Replace:
            return Replace(a);
        case ScalarFn::CharIndex:
            return CharIndex(e, a);
        case ScalarFn::Year:
        case ScalarFn::Month:
        case ScalarFn::Day:
            return DatePart(e, a);
        case ScalarFn::Abs:
            return Abs(e, a);
        case ScalarFn::Space:
            return std::string(static_cast<std::size_t>(
                                   std::clamp<std::int64_t>(ToInt(a[0], e.args[0]->type), 0, 8000)),
                               ' ');
        case ScalarFn::Str:
            return Str(e, a);
        default:
            break;
    }
    throw errors::UnknownFunction("getdate");  // GETDATE is evaluated by the evaluator
}

}  // namespace standin
