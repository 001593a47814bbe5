#pragma once
// SQL Server's errors as the engine raises them: number, severity, state and the message text with
// the names filled in (names are UTF-8). Each function returns the error to throw.

#include <cstdint>
#include <string>
#include <string_view>

#include "SqlError.h"

namespace standin::errors {

// Name of the one database this engine serves, as it appears in messages such as 515.
inline constexpr const char* kDatabaseName = "kavel";

SqlError Syntax(std::string_view nearToken, bool isKeyword, int line);      // 102 / 156
SqlError UnclosedQuote(std::string_view rest, int line);                    // 105
SqlError InvalidObject(std::string_view name);                              // 208
SqlError InvalidColumn(std::string_view name);                              // 207
SqlError ObjectExists(std::string_view name);                               // 2714
SqlError DuplicateColumn(std::string_view column, std::string_view table);  // 2705
SqlError Truncation();                                                      // 8152 + 3621
SqlError DuplicateKey(std::string_view constraint, std::string_view table,
                      std::string_view keyValue);  // 2627 + 3621
SqlError DuplicateIndexRow(std::string_view index, std::string_view table,
                           std::string_view keyValue);  // 2601 + 3621
SqlError NullNotAllowed(std::string_view column, std::string_view table,
                        std::string_view verb);  // 515 + 3621
SqlError DuplicateWhileCreatingKey(std::string_view table, std::string_view index,
                                   std::string_view keyValue,
                                   bool constraint);   // 1505 (+1750) + 3621
SqlError KeyOnNullableColumn(std::string_view table);  // 8111 + 1750
SqlError ExplicitIdentity(std::string_view table);     // 8101
SqlError ColumnHasDependents(std::string_view objectKind, std::string_view object,
                             std::string_view column, std::string_view action);  // 5074 + 4922
SqlError ConversionFailed(std::string_view fromType, std::string_view value,
                          std::string_view toType);                            // 245
SqlError DateConversionFailed();                                               // 241
SqlError DateOutOfRange(std::string_view fromType);                            // 242
SqlError ErrorConverting(std::string_view fromType, std::string_view toType);  // 8114
SqlError ArithmeticOverflow(std::string_view fromWhat,
                            std::string_view toType);  // 8115 (3621 added for DML)
SqlError DivideByZero();                               // 8134
SqlError DateTimeOverflow();                           // 517
SqlError NotNullColumnOnNonEmptyTable(std::string_view column, std::string_view table);  // 4901
SqlError NoSuchColumnToAlter(std::string_view action, std::string_view column,
                             std::string_view table);                             // 4924
SqlError NotAConstraint(std::string_view name);                                   // 3728 + 3727
SqlError CannotDropTable(std::string_view name);                                  // 3701
SqlError IndexExists(std::string_view index, std::string_view table);             // 1913
SqlError ColumnCountMismatch();                                                   // 213
SqlError MoreColumnsThanValues();                                                 // 109
SqlError FewerColumnsThanValues();                                                // 110
SqlError NotInGroupBy(std::string_view table, std::string_view column);           // 8120
SqlError AggregateInWhere();                                                      // 147
SqlError UnknownFunction(std::string_view name);                                  // 195
SqlError WrongArgumentCount(std::string_view function, int count);                // 174
SqlError SubqueryManyColumns();                                                   // 116
SqlError ImplicitConversion(std::string_view fromType, std::string_view toType);  // 257
SqlError IncompatibleTypes(std::string_view a, std::string_view b, std::string_view op);  // 402
SqlError InvalidLength(std::string_view what);               // 131 / 2750-like limits
SqlError MultipleIdentity(std::string_view table);           // 2744
SqlError MultiplePrimaryKeys(std::string_view table);        // 8110
SqlError IdentityType(std::string_view column);              // 2749
SqlError ColumnInListTwice(std::string_view column);         // 264 / 1911
SqlError UnsupportedStatement(std::string_view what);        // 40517: beyond this engine
SqlError ColumnNotPermitted(std::string_view column);        // 128
SqlError MultiPartNotBound(std::string_view qualifiedName);  // 4104
SqlError UndeclaredVariable(std::string_view variable);      // 137
SqlError AggregateOfAggregate();                             // 130
SqlError InvalidOperandType(std::string_view type, std::string_view op);           // 8117
SqlError SubqueryNotAllowed();                                                     // 1046
SqlError CoalesceArguments();                                                      // 189
SqlError NonBooleanCondition();                                                    // 4145
SqlError OrderByPositionOutOfRange(std::int64_t position);                         // 108
SqlError OrderByNotInDistinct();                                                   // 145
SqlError TextNotComparable();                                                      // 306
SqlError TextNotDistinct();                                                        // 421
SqlError NoTableForStar();                                                         // 263
SqlError SelectListFewerItems();                                                   // 120
SqlError SelectListMoreItems();                                                    // 121
SqlError InvalidLengthParameter(std::string_view function);                        // 536
SqlError IdentityInsertOff(std::string_view table);                                // 544
SqlError ExplicitIdentityRequired(std::string_view table);                         // 545
SqlError NoIdentityProperty(std::string_view table);                               // 8106
SqlError IdentityInsertAlreadyOn(std::string_view on, std::string_view asked);     // 8107
SqlError UpdateIdentity(std::string_view column);                                  // 8102
SqlError SystemCatalogUpdate();                                                    // 259
SqlError CannotFindObject(int number, int state, std::string_view name);           // 1088 / 4902
SqlError NullableIdentity(std::string_view column, std::string_view table);        // 8147
SqlError ZeroIdentityIncrement();                                                  // 8136
SqlError DefaultOnIdentity(std::string_view table, std::string_view column);       // 1754
SqlError DefaultAlreadyBound();                                                    // 1781
SqlError OnlyDataColumn(std::string_view column, std::string_view table);          // 4923
SqlError SecondClusteredIndex(std::string_view table, std::string_view existing);  // 1902
SqlError NoSuchKeyColumn(std::string_view column);                                 // 1911
SqlError DuplicateKeyColumn(std::string_view column);                              // 1909
SqlError InvalidKeyColumnType(std::string_view column, std::string_view table);    // 1919
SqlError NumberOutOfRange(std::string_view number);                                // 1007
SqlError NestedTooDeeply(int line);                                                // 191
SqlError MissingEndComment();                                                      // 113
SqlError FillFactorOutOfRange();                                                   // 1003
SqlError UnknownDataType(std::string_view name);                                   // 2715
SqlError ZeroLength();                                                             // 1001
SqlError PrecisionTooLarge(int precision);                                         // 2750
SqlError ScaleTooLarge(int scale, int precision);                                  // 2751
SqlError ConversionOverflow(std::string_view fromType, std::string_view value,
                            std::string_view toType);  // 248
// The error followed by 1750, as SQL Server reports a constraint or index it could not create.
SqlError CouldNotCreate(SqlError e);
// 3621, which SQL Server sends after an error that ended a statement changing data.
SqlMessage StatementTerminated();

}  // namespace standin::errors
