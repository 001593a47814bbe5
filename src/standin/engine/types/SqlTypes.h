#pragma once
// Column types: their names, limits and catalogue codes.

#include <optional>
#include <string>
#include <string_view>

#include "types/Value.h"

namespace standin {

// The type's name as SQL Server writes it in messages: "int", "varchar", "numeric" ...
std::string TypeName(TypeId id);
// Full declaration: "char(12)", "numeric(6,2)", "int".
std::string TypeDeclaration(const SqlType& t);
// Looks up a type name (any case); absent when it is not one this engine knows.
std::optional<TypeId> TypeFromName(std::string_view name);

bool IsTextType(TypeId id);      // char, varchar, text
bool IsIntegerType(TypeId id);   // int, smallint, tinyint, bit
bool IsExactNumeric(TypeId id);  // numeric, decimal
bool IsNumberType(TypeId id);    // integers and exact numerics

// Inclusive range of an integer type.
std::int64_t IntegerMin(TypeId id);
std::int64_t IntegerMax(TypeId id);

// Catalogue codes (syscolumns.xtype) and storage length in bytes (syscolumns.length).
int SystemTypeCode(TypeId id);
int StorageLength(const SqlType& t);

// Precision of an integer type when it takes part in decimal arithmetic (int is numeric(10,0)).
int IntegerPrecision(TypeId id);

// SQL Server's precedence of data types: the operand of lower precedence converts to the other.
int TypePrecedence(TypeId id);

SqlType MakeType(TypeId id, int length = 0, int precision = 0, int scale = 0);

}  // namespace standin
