#include "bind/BindFunction.h"

#include <array>
#include <limits>

#include "Errors.h"
#include "types/Collation.h"
#include "types/Convert.h"
#include "types/SqlTypes.h"

namespace standin {
namespace {

struct FunctionEntry {
    const char* name;  // upper case
    ScalarFn function;
    std::size_t minArgs, maxArgs;
};

constexpr std::size_t kAnyCount = std::numeric_limits<std::size_t>::max();

constexpr std::array kFunctions{
    FunctionEntry{"GETDATE", ScalarFn::GetDate, 0, 0},
    FunctionEntry{"CURRENT_TIMESTAMP", ScalarFn::GetDate, 0, 0},
    FunctionEntry{"LTRIM", ScalarFn::LTrim, 1, 1},
    FunctionEntry{"RTRIM", ScalarFn::RTrim, 1, 1},
    FunctionEntry{"UPPER", ScalarFn::Upper, 1, 1},
    FunctionEntry{"LOWER", ScalarFn::Lower, 1, 1},
    FunctionEntry{"LEN", ScalarFn::Len, 1, 1},
    FunctionEntry{"DATALENGTH", ScalarFn::DataLength, 1, 1},
    FunctionEntry{"SUBSTRING", ScalarFn::Substring, 3, 3},
    FunctionEntry{"LEFT", ScalarFn::Left, 2, 2},
    FunctionEntry{"RIGHT", ScalarFn::Right, 2, 2},
    FunctionEntry{"REPLACE", ScalarFn::Replace, 3, 3},
    FunctionEntry{"CHARINDEX", ScalarFn::CharIndex, 2, 3},
    FunctionEntry{"ISNULL", ScalarFn::IsNull, 2, 2},
    FunctionEntry{"COALESCE", ScalarFn::Coalesce, 2, kAnyCount},
    FunctionEntry{"NULLIF", ScalarFn::NullIf, 2, 2},
    FunctionEntry{"YEAR", ScalarFn::Year, 1, 1},
    FunctionEntry{"MONTH", ScalarFn::Month, 1, 1},
    FunctionEntry{"DAY", ScalarFn::Day, 1, 1},
    FunctionEntry{"ABS", ScalarFn::Abs, 1, 1},
    FunctionEntry{"SPACE", ScalarFn::Space, 1, 3},
    FunctionEntry{"STR", ScalarFn::Str, 1, 3},
    FunctionEntry{"IDENT_SEED", ScalarFn::IdentSeed, 1, 1},
    FunctionEntry{"IDENT_INCR", ScalarFn::IdentIncr, 1, 1},
    FunctionEntry{"IDENT_CURRENT", ScalarFn::IdentCurrent, 1, 1},
};

const FunctionEntry& FindFunction(const std::string& name) {
    for (const FunctionEntry& f : kFunctions)
        if (name == f.name) return f;
    throw errors::UnknownFunction(LowerText(name));
}

void CheckArgumentCount(const FunctionEntry& f, std::size_t count) {
    if (count >= f.minArgs && count <= f.maxArgs) return;
    if (f.function == ScalarFn::Coalesce) throw errors::CoalesceArguments();
    throw errors::WrongArgumentCount(LowerText(f.name), static_cast<int>(f.minArgs));
}

// The varchar a text function returns: as wide as its text argument, 8000 for anything else.
SqlType TextResult(const SqlType& argument) {
    bool sized = IsTextType(argument.id) && argument.id != TypeId::Text;
    return MakeType(TypeId::VarChar, sized ? argument.length : 8000);
}

SqlType ResultType(const BoundExpr& b) {
    auto arg = [&](std::size_t i) -> const SqlType& { return b.args[i]->type; };
    switch (b.function) {
        case ScalarFn::GetDate:
            return MakeType(TypeId::DateTime);
        case ScalarFn::LTrim:
        case ScalarFn::RTrim:
        case ScalarFn::Upper:
        case ScalarFn::Lower:
        case ScalarFn::Substring:
        case ScalarFn::Left:
        case ScalarFn::Right:
            return TextResult(arg(0));
        case ScalarFn::Replace:
        case ScalarFn::Space:
        case ScalarFn::Str:
            return MakeType(TypeId::VarChar, 8000);
        case ScalarFn::Len:
        case ScalarFn::DataLength:
        case ScalarFn::CharIndex:
        case ScalarFn::Year:
        case ScalarFn::Month:
        case ScalarFn::Day:
            return MakeType(TypeId::Int);
        case ScalarFn::IsNull:
        case ScalarFn::NullIf:
            return arg(0);
        case ScalarFn::Coalesce: {
            SqlType t = arg(0);
            for (std::size_t i = 1; i < b.args.size(); ++i) t = CommonType(t, arg(i));
            return t;
        }
        case ScalarFn::Abs:
            return IsTextType(arg(0).id) ? MakeType(TypeId::Numeric, 0, 38, 10) : arg(0);
        case ScalarFn::IdentSeed:
        case ScalarFn::IdentIncr:
        case ScalarFn::IdentCurrent:
            return MakeType(TypeId::Numeric, 0, 38, 0);
    }
    return arg(0);
}

}  // namespace

void BindFunction(const std::string& name, BoundExpr& b) {
    const FunctionEntry& f = FindFunction(name);
    CheckArgumentCount(f, b.args.size());
    b.function = f.function;
    b.type = ResultType(b);
    b.nullable = f.function == ScalarFn::GetDate  ? false
                 : f.function == ScalarFn::IsNull ? b.args[1]->nullable
                                                  : true;
}

void BindAggregate(const std::string& name, BoundExpr& b) {
    b.aggregate = name == "COUNT" ? AggregateFn::Count
                  : name == "SUM" ? AggregateFn::Sum
                  : name == "MIN" ? AggregateFn::Min
                  : name == "MAX" ? AggregateFn::Max
                                  : AggregateFn::Avg;
    b.nullable = true;
    if (b.aggregate == AggregateFn::Count) {
        b.type = MakeType(TypeId::Int);
        b.nullable = false;
        return;
    }
    const SqlType& t = b.args[0]->type;
    bool summed = b.aggregate == AggregateFn::Sum || b.aggregate == AggregateFn::Avg;
    if ((summed && !IsNumberType(t.id)) || t.id == TypeId::Text)
        throw errors::InvalidOperandType(TypeName(t.id), LowerText(name));
    if (b.aggregate == AggregateFn::Sum)
        b.type = IsExactNumeric(t.id) ? MakeType(t.id, 0, 38, t.scale) : MakeType(TypeId::Int);
    else if (b.aggregate == AggregateFn::Avg)
        b.type = IsExactNumeric(t.id) ? MakeType(t.id, 0, 38, std::max(t.scale, 6))
                                      : MakeType(TypeId::Int);
    else
        b.type = t;
}

}  // namespace standin
