#pragma once
// Recursive-descent parser of the Transact-SQL this engine accepts. A batch parses completely or
// not at all: the first syntax error throws SqlError 102/156 and nothing of the batch runs.
// The statement kinds are parsed in files of their own (Parse<Kind>.cpp), as are expressions
// (ParseExpression.cpp) and column definitions (ParseColumnDef.cpp).

#include <initializer_list>
#include <string_view>
#include <vector>

#include "SqlError.h"
#include "sql/Ast.h"
#include "sql/Lexer.h"

namespace standin {

std::vector<Statement> ParseBatch(std::string_view batchUtf8);

// Parses one expression on its own (a stored default); throws SqlError on bad text.
ExprPtr ParseStandaloneExpression(std::string_view textUtf8);

class Parser {
public:
    explicit Parser(std::string_view text);
    ~Parser();
    Parser(const Parser&) = delete;
    Parser& operator=(const Parser&) = delete;

    std::vector<Statement> ParseAll();
    ExprPtr ParseOnlyExpression();

    // Token access
    const Token& Peek(std::size_t ahead = 0) const;
    const Token& Next();
    bool AcceptWord(std::string_view upperWord);
    bool AcceptSymbol(std::string_view symbol);
    void ExpectWord(std::string_view upperWord);
    void ExpectSymbol(std::string_view symbol);
    [[noreturn]] void Fail() const;  // syntax error at the current token
    SqlError MakeSyntaxError(const Token& t) const;
    std::string ExpectName();        // identifier or [quoted name]; reserved words refused
    std::string ExpectObjectName();  // [db.][owner.]name -> name
    std::size_t PreviousEnd() const;
    std::string_view Text() const { return text_; }

    // Shared grammar
    ExprPtr ParseExpr();   // a condition or a value
    ExprPtr ParseValue();  // a value only: no comparison, LIKE, IN or IS outside parentheses
    SqlType ParseType(int defaultTextLength = 1);  // char without (n): 1 in a column, 30 in CAST
    ColumnDef ParseColumnDef();
    std::vector<std::string> ParseNameList();  // ( a, b, ... )
    int SkipIndexOptions();  // WITH PAD_INDEX, FILLFACTOR = 85, ...: the fill factor or 0

    // Statements, one file each
    CreateTableStmt ParseCreateTable();         // after CREATE TABLE
    CreateIndexStmt ParseCreateIndex();         // after CREATE, at [UNIQUE] [CLUSTERED] INDEX
    AlterTableStmt ParseAlterTable();           // after ALTER TABLE
    DropTableStmt ParseDropTable();             // after DROP TABLE
    InsertStmt ParseInsert();                   // after INSERT
    UpdateStmt ParseUpdate();                   // after UPDATE
    DeleteStmt ParseDelete();                   // after DELETE
    std::shared_ptr<SelectStmt> ParseSelect();  // at SELECT
    SetStmt ParseSet();                         // after SET

private:
    Statement ParseStatement();
    ExprPtr ParseOr();
    ExprPtr ParseAnd();
    ExprPtr ParseNot();
    ExprPtr ParseLeftChain(std::initializer_list<std::string_view> operators, Expr::Kind kind,
                           ExprPtr (Parser::*operand)());
    ExprPtr ParsePredicate();
    ExprPtr ParseBetween(ExprPtr left, bool negated, std::size_t begin, int line);
    ExprPtr ParseIn(ExprPtr left, bool negated, std::size_t begin, int line);
    ExprPtr ParseAdditive();
    ExprPtr ParseMultiplicative();
    ExprPtr ParseUnary();
    ExprPtr ParsePrimary();
    ExprPtr ParseLiteral();      // at a string or number token
    ExprPtr ParseColumnRef();    // at a name
    ExprPtr ParseCast();         // at CAST or CONVERT
    ExprPtr ParseWordPrimary();  // at a word: NULL, CAST, CONVERT, a call or a column
    ExprPtr ParseFunctionCall(const Token& nameToken);
    ExprPtr Finish(ExprPtr e, std::size_t begin, int line);

    std::string_view text_;
    std::optional<SqlMessage>
        unclosed_;               // an unclosed quote ended the tokens early (set by Tokenize)
    std::vector<Token> tokens_;  // declared after unclosed_, which Tokenize fills
    std::size_t pos_ = 0;
    int depth_ = 0;  // nesting of expressions and subqueries, bounded so the stack stays bounded
};

}  // namespace standin
