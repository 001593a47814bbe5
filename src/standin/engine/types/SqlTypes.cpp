#include "types/SqlTypes.h"

#include "types/Collation.h"

namespace standin {

std::string TypeName(TypeId id) {
    switch (id) {
        case TypeId::Char:
            return "char";
        case TypeId::VarChar:
            return "varchar";
        case TypeId::Text:
            return "text";
        case TypeId::Int:
            return "int";
        case TypeId::SmallInt:
            return "smallint";
        case TypeId::TinyInt:
            return "tinyint";
        case TypeId::Bit:
            return "bit";
        case TypeId::Numeric:
            return "numeric";
        case TypeId::Decimal:
            return "decimal";
        case TypeId::DateTime:
            return "datetime";
    }
    return "int";
}

std::string TypeDeclaration(const SqlType& t) {
    switch (t.id) {
        case TypeId::Char:
        case TypeId::VarChar:
            return TypeName(t.id) + "(" + std::to_string(t.length) + ")";
        case TypeId::Numeric:
        case TypeId::Decimal:
            return TypeName(t.id) + "(" + std::to_string(t.precision) + "," +
                   std::to_string(t.scale) + ")";
        default:
            return TypeName(t.id);
    }
}

std::optional<TypeId> TypeFromName(std::string_view name) {
    std::string u = UpperAscii(name);
    if (u == "CHAR" || u == "CHARACTER") return TypeId::Char;
    if (u == "VARCHAR") return TypeId::VarChar;
    if (u == "TEXT") return TypeId::Text;
    if (u == "INT" || u == "INTEGER") return TypeId::Int;
    if (u == "SMALLINT") return TypeId::SmallInt;
    if (u == "TINYINT") return TypeId::TinyInt;
    if (u == "BIT") return TypeId::Bit;
    if (u == "NUMERIC") return TypeId::Numeric;
    if (u == "DECIMAL" || u == "DEC") return TypeId::Decimal;
    if (u == "DATETIME") return TypeId::DateTime;
    return std::nullopt;
}

bool IsTextType(TypeId id) {
    return id == TypeId::Char || id == TypeId::VarChar || id == TypeId::Text;
}
bool IsIntegerType(TypeId id) {
    return id == TypeId::Int || id == TypeId::SmallInt || id == TypeId::TinyInt ||
           id == TypeId::Bit;
}
bool IsExactNumeric(TypeId id) { return id == TypeId::Numeric || id == TypeId::Decimal; }
bool IsNumberType(TypeId id) { return IsIntegerType(id) || IsExactNumeric(id); }

std::int64_t IntegerMin(TypeId id) {
    switch (id) {
        case TypeId::SmallInt:
            return -32768;
        case TypeId::TinyInt:
        case TypeId::Bit:
            return 0;
        default:
            return -2147483648LL;
    }
}
std::int64_t IntegerMax(TypeId id) {
    switch (id) {
        case TypeId::SmallInt:
            return 32767;
        case TypeId::TinyInt:
            return 255;
        case TypeId::Bit:
            return 1;
        default:
            return 2147483647LL;
    }
}

int SystemTypeCode(TypeId id) {
    switch (id) {
        case TypeId::Char:
            return 175;
        case TypeId::VarChar:
            return 167;
        case TypeId::Text:
            return 35;
        case TypeId::Int:
            return 56;
        case TypeId::SmallInt:
            return 52;
        case TypeId::TinyInt:
            return 48;
        case TypeId::Bit:
            return 104;
        case TypeId::Numeric:
            return 108;
        case TypeId::Decimal:
            return 106;
        case TypeId::DateTime:
            return 61;
    }
    return 56;
}

int StorageLength(const SqlType& t) {
    switch (t.id) {
        case TypeId::Char:
        case TypeId::VarChar:
            return t.length;
        case TypeId::Text:
            return 16;
        case TypeId::Int:
            return 4;
        case TypeId::SmallInt:
            return 2;
        case TypeId::TinyInt:
        case TypeId::Bit:
            return 1;
        case TypeId::DateTime:
            return 8;
        case TypeId::Numeric:
        case TypeId::Decimal:
            return t.precision <= 9 ? 5 : t.precision <= 19 ? 9 : t.precision <= 28 ? 13 : 17;
    }
    return 4;
}

int IntegerPrecision(TypeId id) {
    switch (id) {
        case TypeId::SmallInt:
            return 5;
        case TypeId::TinyInt:
            return 3;
        case TypeId::Bit:
            return 1;
        default:
            return 10;
    }
}

int TypePrecedence(TypeId id) {
    switch (id) {
        case TypeId::DateTime:
            return 20;
        case TypeId::Decimal:
        case TypeId::Numeric:
            return 15;
        case TypeId::Int:
            return 13;
        case TypeId::SmallInt:
            return 12;
        case TypeId::TinyInt:
            return 11;
        case TypeId::Bit:
            return 10;
        case TypeId::Text:
            return 5;
        case TypeId::VarChar:
            return 3;
        case TypeId::Char:
            return 2;
    }
    return 0;
}

SqlType MakeType(TypeId id, int length, int precision, int scale) {
    SqlType t;
    t.id = id;
    t.length = length;
    t.precision = precision;
    t.scale = scale;
    return t;
}

}  // namespace standin
