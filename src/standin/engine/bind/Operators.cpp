#include "bind/Operators.h"

#include "types/SqlTypes.h"

namespace standin {

std::string OperatorName(ArithOp op) {
    switch (op) {
        case ArithOp::Add:
            return "add";
        case ArithOp::Subtract:
            return "subtract";
        case ArithOp::Multiply:
            return "multiply";
        case ArithOp::Divide:
            return "divide";
        case ArithOp::Modulo:
            return "modulo";
    }
    return "add";
}

std::string OperatorName(CompareOp op) {
    switch (op) {
        case CompareOp::Equal:
            return "equal to";
        case CompareOp::NotEqual:
            return "not equal to";
        case CompareOp::Less:
            return "less than";
        case CompareOp::Greater:
            return "greater than";
        case CompareOp::LessOrEqual:
            return "less than or equal to";
        case CompareOp::GreaterOrEqual:
            return "greater than or equal to";
    }
    return "equal to";
}

Decimal ApplyDecimal(ArithOp op, const Decimal& x, const Decimal& y) {
    switch (op) {
        case ArithOp::Add:
            return AddDecimal(x, y, false);
        case ArithOp::Subtract:
            return AddDecimal(x, y, true);
        case ArithOp::Multiply:
            return MultiplyDecimal(x, y);
        case ArithOp::Divide:
            return DivideDecimal(x, y);
        case ArithOp::Modulo:
            return ModuloDecimal(x, y);
    }
    return AddDecimal(x, y, false);
}

SqlType DecimalTypeOf(const SqlType& t) {
    if (IsExactNumeric(t.id)) return t;
    if (IsIntegerType(t.id)) return MakeType(TypeId::Numeric, 0, IntegerPrecision(t.id), 0);
    return MakeType(TypeId::Numeric, 0, 18, 0);
}

}  // namespace standin
