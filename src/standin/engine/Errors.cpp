#include "Errors.h"

namespace standin::errors {
namespace {

std::string Q(std::string_view s) { return "'" + std::string(s) + "'"; }

SqlMessage M(int number, int severity, int state, std::string text) {
    SqlMessage m;
    m.number = number;
    m.severity = severity;
    m.state = state;
    m.text = std::move(text);
    return m;
}

// SQL Server follows an error that ends a data-changing statement with this informational message.
}  // namespace

SqlMessage StatementTerminated() { return M(3621, 10, 0, "The statement has been terminated."); }

namespace {
SqlMessage Terminated() { return StatementTerminated(); }
SqlMessage CouldNotCreateConstraint() {
    return M(1750, 16, 0, "Could not create constraint or index. See previous errors.");
}

SqlError One(int number, int severity, int state, std::string text, Ends ends = Ends::Statement) {
    return SqlError({M(number, severity, state, std::move(text))}, ends);
}

}  // namespace

SqlError Syntax(std::string_view nearToken, bool isKeyword, int line) {
    SqlMessage m = isKeyword
                       ? M(156, 15, 1, "Incorrect syntax near the keyword " + Q(nearToken) + ".")
                       : M(102, 15, 1, "Incorrect syntax near " + Q(nearToken) + ".");
    m.line = line;
    return SqlError({m}, Ends::Batch);
}

SqlError UnclosedQuote(std::string_view rest, int line) {
    SqlMessage m =
        M(105, 15, 1, "Unclosed quotation mark after the character string " + Q(rest) + ".");
    m.line = line;
    return SqlError({m}, Ends::Batch);
}

SqlError InvalidObject(std::string_view name) {
    return One(208, 16, 1, "Invalid object name " + Q(name) + ".", Ends::Batch);
}
SqlError InvalidColumn(std::string_view name) {
    return One(207, 16, 1, "Invalid column name " + Q(name) + ".", Ends::Batch);
}
SqlError ObjectExists(std::string_view name) {
    return One(2714, 16, 6, "There is already an object named " + Q(name) + " in the database.");
}
SqlError DuplicateColumn(std::string_view column, std::string_view table) {
    return One(2705, 16, 4,
               "Column names in each table must be unique. Column name " + Q(column) +
                   " in table " + Q(table) + " is specified more than once.");
}
SqlError Truncation() {
    return SqlError({M(8152, 16, 14, "String or binary data would be truncated."), Terminated()},
                    Ends::Statement);
}
SqlError DuplicateKey(std::string_view constraint, std::string_view table,
                      std::string_view keyValue) {
    return SqlError(
        {M(2627, 14, 1,
           "Violation of PRIMARY KEY constraint " + Q(constraint) +
               ". Cannot insert duplicate key in object " + Q("dbo." + std::string(table)) +
               ". The duplicate key value is (" + std::string(keyValue) + ")."),
         Terminated()},
        Ends::Statement);
}
SqlError DuplicateIndexRow(std::string_view index, std::string_view table,
                           std::string_view keyValue) {
    return SqlError({M(2601, 14, 1,
                       "Cannot insert duplicate key row in object " +
                           Q("dbo." + std::string(table)) + " with unique index " + Q(index) +
                           ". The duplicate key value is (" + std::string(keyValue) + ")."),
                     Terminated()},
                    Ends::Statement);
}
SqlError NullNotAllowed(std::string_view column, std::string_view table, std::string_view verb) {
    return SqlError({M(515, 16, 2,
                       "Cannot insert the value NULL into column " + Q(column) + ", table " +
                           Q(std::string(kDatabaseName) + ".dbo." + std::string(table)) +
                           "; column does not allow nulls. " + std::string(verb) + " fails."),
                     Terminated()},
                    Ends::Statement);
}
SqlError DuplicateWhileCreatingKey(std::string_view table, std::string_view index,
                                   std::string_view keyValue, bool constraint) {
    std::vector<SqlMessage> ms{
        M(1505, 16, 1,
          "The CREATE UNIQUE INDEX statement terminated because a duplicate key was found for the "
          "object name " +
              Q("dbo." + std::string(table)) + " and the index name " + Q(index) +
              ". The duplicate key value is (" + std::string(keyValue) + ").")};
    if (constraint) ms.push_back(CouldNotCreateConstraint());
    ms.push_back(Terminated());
    return SqlError(std::move(ms), Ends::Statement);
}
SqlError KeyOnNullableColumn(std::string_view table) {
    return SqlError(
        {M(8111, 16, 1,
           "Cannot define PRIMARY KEY constraint on nullable column in table " + Q(table) + "."),
         CouldNotCreateConstraint()},
        Ends::Statement);
}
SqlError ExplicitIdentity(std::string_view table) {
    return One(8101, 16, 1,
               "An explicit value for the identity column in table " + Q(table) +
                   " can only be specified when a column list is used and IDENTITY_INSERT is ON.");
}
SqlError ColumnHasDependents(std::string_view objectKind, std::string_view object,
                             std::string_view column, std::string_view action) {
    return SqlError({M(5074, 16, 1,
                       "The " + std::string(objectKind) + " " + Q(object) +
                           " is dependent on column " + Q(column) + "."),
                     M(4922, 16, 9,
                       "ALTER TABLE " + std::string(action) + " " + std::string(column) +
                           " failed because one or more objects access this column.")},
                    Ends::Statement);
}
SqlError ConversionFailed(std::string_view fromType, std::string_view value,
                          std::string_view toType) {
    return One(245, 16, 1,
               "Conversion failed when converting the " + std::string(fromType) + " value " +
                   Q(value) + " to data type " + std::string(toType) + ".",
               Ends::Batch);
}
SqlError DateConversionFailed() {
    return One(241, 16, 1,
               "Conversion failed when converting date and/or time from character string.",
               Ends::Batch);
}
SqlError DateOutOfRange(std::string_view fromType) {
    return One(242, 16, 3,
               "The conversion of a " + std::string(fromType) +
                   " data type to a datetime data type resulted in an out-of-range value.",
               Ends::Batch);
}
SqlError ErrorConverting(std::string_view fromType, std::string_view toType) {
    return One(
        8114, 16, 5,
        "Error converting data type " + std::string(fromType) + " to " + std::string(toType) + ".",
        Ends::Batch);
}
SqlError ArithmeticOverflow(std::string_view fromWhat, std::string_view toType) {
    return One(8115, 16, 2,
               "Arithmetic overflow error converting " + std::string(fromWhat) + " to data type " +
                   std::string(toType) + ".");
}
SqlError DivideByZero() { return One(8134, 16, 1, "Divide by zero error encountered."); }
SqlError DateTimeOverflow() {
    return One(517, 16, 1, "Adding a value to a 'datetime' column caused an overflow.");
}
SqlError NotNullColumnOnNonEmptyTable(std::string_view column, std::string_view table) {
    return One(
        4901, 16, 1,
        "ALTER TABLE only allows columns to be added that can contain nulls, or have a DEFAULT "
        "definition specified, or the column being added is an identity or timestamp column, or "
        "alternatively if none of the previous conditions are satisfied the table must be empty to "
        "allow addition of this column. Column " +
            Q(column) + " cannot be added to non-empty table " + Q(table) +
            " because it does not satisfy these conditions.");
}
SqlError NoSuchColumnToAlter(std::string_view action, std::string_view column,
                             std::string_view table) {
    return One(4924, 16, 1,
               "ALTER TABLE " + std::string(action) + " failed because column " + Q(column) +
                   " does not exist in table " + Q(table) + ".");
}
SqlError NotAConstraint(std::string_view name) {
    return SqlError({M(3728, 16, 1, Q(name) + " is not a constraint."),
                     M(3727, 16, 0, "Could not drop constraint. See previous errors.")},
                    Ends::Statement);
}
SqlError CannotDropTable(std::string_view name) {
    return One(3701, 11, 5,
               "Cannot drop the table " + Q(name) +
                   ", because it does not exist or you do not have permission.");
}
SqlError IndexExists(std::string_view index, std::string_view table) {
    return One(1913, 16, 1,
               "The operation failed because an index or statistics with name " + Q(index) +
                   " already exists on table " + Q(table) + ".");
}
SqlError ColumnCountMismatch() {
    return One(213, 16, 1,
               "Column name or number of supplied values does not match table definition.",
               Ends::Batch);
}
SqlError MoreColumnsThanValues() {
    return One(109, 15, 1,
               "There are more columns in the INSERT statement than values specified in the VALUES "
               "clause. The number of values in the VALUES clause must match the number of columns "
               "specified in the INSERT statement.",
               Ends::Batch);
}
SqlError FewerColumnsThanValues() {
    return One(
        110, 15, 1,
        "There are fewer columns in the INSERT statement than values specified in the VALUES "
        "clause. The number of values in the VALUES clause must match the number of columns "
        "specified in the INSERT statement.",
        Ends::Batch);
}
SqlError NotInGroupBy(std::string_view table, std::string_view column) {
    return One(
        8120, 16, 1,
        "Column " + Q(std::string(table) + "." + std::string(column)) +
            " is invalid in the select list because it is not contained in either an aggregate "
            "function or the GROUP BY clause.",
        Ends::Batch);
}
SqlError AggregateInWhere() {
    return One(
        147, 15, 1,
        "An aggregate may not appear in the WHERE clause unless it is in a subquery contained in "
        "a HAVING clause or a select list, and the column being aggregated is an outer reference.",
        Ends::Batch);
}
SqlError UnknownFunction(std::string_view name) {
    return One(195, 15, 10, Q(name) + " is not a recognized built-in function name.", Ends::Batch);
}
SqlError WrongArgumentCount(std::string_view function, int count) {
    return One(174, 15, 1,
               "The " + std::string(function) + " function requires " + std::to_string(count) +
                   " argument(s).",
               Ends::Batch);
}
SqlError SubqueryManyColumns() {
    return One(116, 16, 1,
               "Only one expression can be specified in the select list when the subquery is not "
               "introduced with EXISTS.",
               Ends::Batch);
}
SqlError ImplicitConversion(std::string_view fromType, std::string_view toType) {
    return One(257, 16, 3,
               "Implicit conversion from data type " + std::string(fromType) + " to " +
                   std::string(toType) +
                   " is not allowed. Use the CONVERT function to run this query.",
               Ends::Batch);
}
SqlError IncompatibleTypes(std::string_view a, std::string_view b, std::string_view op) {
    return One(402, 16, 1,
               "The data types " + std::string(a) + " and " + std::string(b) +
                   " are incompatible in the " + std::string(op) + " operator.",
               Ends::Batch);
}
SqlError InvalidLength(std::string_view what) {
    return One(131, 15, 2, std::string(what), Ends::Batch);
}
SqlError MultipleIdentity(std::string_view table) {
    return One(2744, 16, 2,
               "Multiple identity columns specified for table " + Q(table) +
                   ". Only one identity column per table is allowed.");
}
SqlError MultiplePrimaryKeys(std::string_view table) {
    return SqlError(
        {M(8110, 16, 0, "Cannot add multiple PRIMARY KEY constraints to table " + Q(table) + "."),
         CouldNotCreateConstraint()},
        Ends::Statement);
}
SqlError IdentityType(std::string_view column) {
    return One(
        2749, 16, 2,
        "Identity column " + Q(column) +
            " must be of data type int, bigint, smallint, tinyint, or decimal or numeric with a "
            "scale of 0, unlimited precision, and constrained to be nonnullable.");
}
SqlError ColumnInListTwice(std::string_view column) {
    return One(
        264, 16, 1,
        "The column name " + Q(column) +
            " is specified more than once in the SET clause or column list of an INSERT. A column "
            "cannot be assigned more than one value in the same clause. Modify the clause to make "
            "sure that a column is updated only once. If this statement updates or inserts columns "
            "into a view, column name aliasing can conceal the duplication in your code.",
        Ends::Batch);
}
SqlError UnsupportedStatement(std::string_view what) {
    return One(40517, 16, 1,
               "Keyword or statement option '" + std::string(what) +
                   "' is not supported in this version of SQL Server.",
               Ends::Batch);
}
SqlError ColumnNotPermitted(std::string_view column) {
    return One(128, 15, 1,
               "The name \"" + std::string(column) +
                   "\" is not permitted in this context. Valid expressions are constants, constant "
                   "expressions, and (in some contexts) variables. Column names are not permitted.",
               Ends::Batch);
}
SqlError MultiPartNotBound(std::string_view qualifiedName) {
    return One(
        4104, 16, 1,
        "The multi-part identifier \"" + std::string(qualifiedName) + "\" could not be bound.",
        Ends::Batch);
}
SqlError UndeclaredVariable(std::string_view variable) {
    return One(137, 15, 2, "Must declare the scalar variable \"" + std::string(variable) + "\".",
               Ends::Batch);
}
SqlError AggregateOfAggregate() {
    return One(130, 16, 1,
               "Cannot perform an aggregate function on an expression containing an aggregate or a "
               "subquery.",
               Ends::Batch);
}
SqlError InvalidOperandType(std::string_view type, std::string_view op) {
    return One(8117, 16, 1,
               "Operand data type " + std::string(type) + " is invalid for " + std::string(op) +
                   " operator.",
               Ends::Batch);
}
SqlError SubqueryNotAllowed() {
    return One(1046, 15, 1,
               "Subqueries are not allowed in this context. Only scalar expressions are allowed.",
               Ends::Batch);
}
SqlError CoalesceArguments() {
    return One(189, 15, 1, "The coalesce function requires 2 to 254 arguments.", Ends::Batch);
}
SqlError NonBooleanCondition() {
    return One(
        4145, 15, 1,
        "An expression of non-boolean type specified in a context where a condition is expected.",
        Ends::Batch);
}
SqlError OrderByPositionOutOfRange(std::int64_t position) {
    return One(108, 15, 1,
               "The ORDER BY position number " + std::to_string(position) +
                   " is out of range of the number of items in the select list.",
               Ends::Batch);
}
SqlError OrderByNotInDistinct() {
    return One(145, 15, 1,
               "ORDER BY items must appear in the select list if SELECT DISTINCT is specified.",
               Ends::Batch);
}
SqlError TextNotComparable() {
    return One(
        306, 16, 2,
        "The text, ntext, and image data types cannot be compared or sorted, except when using IS "
        "NULL or LIKE operator.",
        Ends::Batch);
}
SqlError TextNotDistinct() {
    return One(421, 16, 1,
               "The text data type cannot be selected as DISTINCT because it is not comparable.",
               Ends::Batch);
}
SqlError NoTableForStar() {
    return One(263, 16, 1, "Must specify table to select from.", Ends::Batch);
}
SqlError SelectListFewerItems() {
    return One(
        120, 15, 1,
        "The select list for the INSERT statement contains fewer items than the insert list. "
        "The number of SELECT values must match the number of INSERT columns.",
        Ends::Batch);
}
SqlError SelectListMoreItems() {
    return One(121, 15, 1,
               "The select list for the INSERT statement contains more items than the insert list. "
               "The number of SELECT values must match the number of INSERT columns.",
               Ends::Batch);
}
SqlError InvalidLengthParameter(std::string_view function) {
    return One(536, 16, 1,
               "Invalid length parameter passed to the " + std::string(function) + " function.");
}
SqlError IdentityInsertOff(std::string_view table) {
    return One(544, 16, 1,
               "Cannot insert explicit value for identity column in table " + Q(table) +
                   " when IDENTITY_INSERT is set to OFF.");
}
SqlError ExplicitIdentityRequired(std::string_view table) {
    return One(545, 16, 1,
               "Explicit value must be specified for identity column in table " + Q(table) +
                   " either when IDENTITY_INSERT is set to ON or when a replication user is "
                   "inserting into a NOT FOR REPLICATION identity column.");
}
SqlError NoIdentityProperty(std::string_view table) {
    return One(8106, 16, 1,
               "Table " + Q(table) +
                   " does not have the identity property. Cannot perform SET "
                   "operation.");
}
SqlError IdentityInsertAlreadyOn(std::string_view on, std::string_view asked) {
    return One(8107, 16, 1,
               "IDENTITY_INSERT is already ON for table " + Q(on) +
                   ". Cannot perform SET operation for table " + Q(asked) + ".");
}
SqlError UpdateIdentity(std::string_view column) {
    return One(8102, 16, 1, "Cannot update identity column " + Q(column) + ".");
}
SqlError SystemCatalogUpdate() {
    return One(259, 16, 1, "Ad hoc updates to system catalogs are not allowed.");
}
SqlError CannotFindObject(int number, int state, std::string_view name) {
    return One(number, 16, state,
               "Cannot find the object \"" + std::string(name) +
                   "\" because it does not exist or you do not have permissions.");
}
SqlError NullableIdentity(std::string_view column, std::string_view table) {
    return One(8147, 16, 1,
               "Could not create IDENTITY attribute on nullable column " + Q(column) + ", table " +
                   Q(table) + ".");
}
SqlError ZeroIdentityIncrement() { return One(8136, 16, 1, "Identity increment cannot be zero."); }
SqlError DefaultOnIdentity(std::string_view table, std::string_view column) {
    return One(1754, 16, 0,
               "Defaults cannot be created on columns with an IDENTITY attribute. Table " +
                   Q(table) + ", column " + Q(column) + ".");
}
SqlError DefaultAlreadyBound() {
    return CouldNotCreate(One(1781, 16, 1, "Column already has a DEFAULT bound to it."));
}
SqlError OnlyDataColumn(std::string_view column, std::string_view table) {
    return One(4923, 16, 1,
               "ALTER TABLE DROP COLUMN failed because " + Q(column) +
                   " is the only data column in table " + Q(table) +
                   ". A table must have at least one data column.");
}
SqlError SecondClusteredIndex(std::string_view table, std::string_view existing) {
    return One(1902, 16, 3,
               "Cannot create more than one clustered index on table " + Q(table) +
                   ". Drop the existing clustered index " + Q(existing) +
                   " before creating another.");
}
SqlError NoSuchKeyColumn(std::string_view column) {
    return One(1911, 16, 1,
               "Column name " + Q(column) + " does not exist in the target table or view.");
}
SqlError DuplicateKeyColumn(std::string_view column) {
    return One(1909, 16, 1,
               "Cannot use duplicate column names in index. Column name " + Q(column) +
                   " listed more than once.");
}
SqlError InvalidKeyColumnType(std::string_view column, std::string_view table) {
    return One(1919, 16, 1,
               "Column " + Q(column) + " in table " + Q(table) +
                   " is of a type that is invalid for use as a key column in an index.");
}
SqlError NumberOutOfRange(std::string_view number) {
    return One(1007, 15, 1,
               "The number " + Q(number) +
                   " is out of the range for numeric representation (maximum precision 38).",
               Ends::Batch);
}
SqlError NestedTooDeeply(int line) {
    SqlError e = One(
        191, 15, 1,
        "Some part of your SQL statement is nested too deeply. Rewrite the query or break it up "
        "into smaller queries.",
        Ends::Batch);
    e.Messages()[0].line = line;
    return e;
}
SqlError MissingEndComment() {
    return One(113, 15, 1, "Missing end comment mark '*/'.", Ends::Batch);
}
SqlError FillFactorOutOfRange() {
    return One(1003, 15, 1, "Line 1: FILLFACTOR must be between 1 and 100.", Ends::Batch);
}
SqlError UnknownDataType(std::string_view name) {
    return One(
        2715, 16, 6,
        "Column, parameter, or variable #1: Cannot find data type " + std::string(name) + ".");
}
SqlError ZeroLength() {
    return One(1001, 15, 1, "Line 1: Length or precision specification 0 is invalid.", Ends::Batch);
}
SqlError PrecisionTooLarge(int precision) {
    return One(2750, 16, 1,
               "Column or parameter #1: Specified column precision " + std::to_string(precision) +
                   " is greater than the maximum precision of 38.",
               Ends::Batch);
}
SqlError ScaleTooLarge(int scale, int precision) {
    return One(2751, 16, 1,
               "Column or parameter #1: Specified column scale " + std::to_string(scale) +
                   " is greater than the specified precision of " + std::to_string(precision) + ".",
               Ends::Batch);
}
SqlError ConversionOverflow(std::string_view fromType, std::string_view value,
                            std::string_view toType) {
    return One(248, 16, 1,
               "The conversion of the " + std::string(fromType) + " value " + Q(value) +
                   " overflowed an " + std::string(toType) + " column.",
               Ends::Batch);
}
SqlError CouldNotCreate(SqlError e) {
    e.Messages().push_back(CouldNotCreateConstraint());
    return e;
}

}  // namespace standin::errors
