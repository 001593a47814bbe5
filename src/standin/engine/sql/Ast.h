#pragma once
// The parsed form of Transact-SQL statements. Names are kept as written (UTF-8); string literals
// are already in code page 936. Every node remembers where it came from in the batch.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "sql/ExprKind.h"
#include "types/Value.h"

namespace standin {

struct SelectStmt;
struct Expr;
using ExprPtr = std::unique_ptr<Expr>;

struct Expr {
    // What each kind keeps here: Literal: literal, literalType. Column: name, qualifier.
    // Variable: name in upper case, literal as written. Arith, Compare: the operator in name.
    // Function, Aggregate: name in upper case. Cast: castType; name "CONVERT" for CONVERT.
    using Kind = ExprKind;
    Kind kind = Kind::Literal;
    std::string name;
    std::string qualifier;  // Column: the table or alias written before the name, if any
    Value literal;
    SqlType literalType;
    SqlType castType;
    bool negated = false;
    bool distinct = false;
    std::vector<ExprPtr> args;
    std::shared_ptr<SelectStmt> subquery;
    std::size_t begin = 0, end = 0;  // byte range in the batch
    int line = 1;
};

struct ColumnDef {
    std::string name;
    SqlType type;
    std::optional<bool> nullable;  // absent: the session's default nullability decides
    bool identity = false;
    std::int64_t seed = 1, increment = 1;
    ExprPtr defaultExpr;
    std::string defaultText;  // source of the default expression, as written
    std::string defaultName;  // CONSTRAINT name DEFAULT ..., empty when unnamed
    bool primaryKey = false;  // column-level PRIMARY KEY
    bool unique = false;      // column-level UNIQUE
    std::string keyName;
    bool keyClustered = false;
};

struct KeyDef {
    std::string name;  // empty: generated
    bool primary = true;
    bool clustered = false;
    std::vector<std::string> columns;
    int fillFactor = 0;
};

struct CreateTableStmt {
    std::string table;
    std::vector<ColumnDef> columns;
    std::vector<KeyDef> keys;  // table-level constraints
};

struct AlterTableStmt {
    enum class Action { AddColumns, AddKey, AddDefault, AlterColumn, DropColumn, DropConstraint };
    Action action = Action::AddColumns;
    std::string table;
    std::vector<ColumnDef> columns;  // AddColumns; AlterColumn uses columns[0]
    KeyDef key;                      // AddKey
    std::string name;     // DropColumn / DropConstraint: the name; AddDefault: constraint
    std::string column;   // AddDefault: FOR column
    ExprPtr defaultExpr;  // AddDefault
    std::string defaultText;
    bool withValues = false;  // ADD ... DEFAULT ... WITH VALUES
};

struct CreateIndexStmt {
    std::string name, table;
    bool unique = false;
    bool clustered = false;
    std::vector<std::string> columns;
    int fillFactor = 0;
};

struct DropTableStmt {
    std::vector<std::string> tables;
};

struct SelectItem {
    ExprPtr expr;       // null for *
    std::string alias;  // AS alias
    bool star = false;
};

struct OrderItem {
    ExprPtr expr;
    bool descending = false;
};

struct SelectStmt {
    bool distinct = false;
    std::optional<std::int64_t> top;
    std::vector<SelectItem> items;
    std::string from;       // empty: no FROM
    std::string fromAlias;  // the table's alias, if any
    ExprPtr where;
    std::vector<ExprPtr> groupBy;
    ExprPtr having;
    std::vector<OrderItem> orderBy;
};

struct InsertStmt {
    std::string table;
    std::vector<std::string> columns;  // empty: all columns but the identity
    std::vector<std::vector<ExprPtr>>
        rows;                            // VALUES rows; DEFAULT in a VALUES list is a null ExprPtr
    std::shared_ptr<SelectStmt> select;  // INSERT ... SELECT
    bool defaultValues = false;          // INSERT ... DEFAULT VALUES
};

struct UpdateStmt {
    std::string table;
    std::vector<std::pair<std::string, ExprPtr>> assignments;
    ExprPtr where;
};

struct DeleteStmt {
    std::string table;
    ExprPtr where;
};

struct SetStmt {
    std::string option;  // upper case
    std::string value;   // upper case (ON, OFF, a number or a word)
    std::string table;   // SET IDENTITY_INSERT table ON | OFF
};

struct Statement {
    std::variant<CreateTableStmt, AlterTableStmt, CreateIndexStmt, DropTableStmt, InsertStmt,
                 UpdateStmt, DeleteStmt, SelectStmt, SetStmt>
        body;
    std::size_t begin = 0, end = 0;  // the statement's own text in the batch
    int line = 1;

    bool Modifies() const {
        return !std::holds_alternative<SelectStmt>(body) && !std::holds_alternative<SetStmt>(body);
    }
};

}  // namespace standin
