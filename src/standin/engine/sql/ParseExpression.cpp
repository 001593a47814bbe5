// Expressions, loosest binding first: OR, AND, NOT, a predicate (comparison, LIKE, BETWEEN, IN,
// IS NULL), + -, * / %, a unary sign, and the primaries (literals, columns, variables, CAST and
// CONVERT, function calls, parentheses).
#include <algorithm>
#include <initializer_list>

#include "Cp936.h"
#include "Errors.h"
#include "sql/Parser.h"
#include "types/Collation.h"
#include "types/DecimalMath.h"
#include "types/SqlTypes.h"

namespace standin {
namespace {

// Bounds the recursion of the parser (and so of binding and evaluation) on deeply nested text.
class DepthGuard {
public:
    DepthGuard(int& depth, int line) : depth_(depth) {
        if (++depth_ > 128) {
            --depth_;
            throw errors::NestedTooDeeply(line);
        }
    }
    ~DepthGuard() { --depth_; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;

private:
    int& depth_;
};

}  // namespace

ExprPtr Parser::Finish(ExprPtr e, std::size_t begin, int line) {
    e->begin = begin;
    e->end = PreviousEnd();
    e->line = line;
    return e;
}

ExprPtr Parser::ParseExpr() { return ParseOr(); }

ExprPtr Parser::ParseValue() {
    // A lone literal (nearly every value of a multi-row INSERT) is parsed as one, without the
    // climb through every level of operators that ends at it all the same.
    switch (Peek().kind) {
        case TokenKind::String:
        case TokenKind::NString:
        case TokenKind::Integer:
        case TokenKind::Number:
            if (Peek(1).IsSymbol(",") || Peek(1).IsSymbol(")")) return ParseLiteral();
            break;
        default:
            break;
    }
    return ParseAdditive();
}

ExprPtr Parser::ParseOr() { return ParseLeftChain({"OR"}, Expr::Kind::Or, &Parser::ParseAnd); }

ExprPtr Parser::ParseAnd() { return ParseLeftChain({"AND"}, Expr::Kind::And, &Parser::ParseNot); }

// operand (operator operand)*, grouped to the left: a OR b OR c is (a OR b) OR c, and
// a - b + c is (a - b) + c. An operator is a keyword or a symbol; arithmetic keeps it in name.
ExprPtr Parser::ParseLeftChain(std::initializer_list<std::string_view> operators, Expr::Kind kind,
                               ExprPtr (Parser::*operand)()) {
    std::size_t b = Peek().begin;
    int line = Peek().line;
    ExprPtr left = (this->*operand)();
    for (;;) {
        const Token& t = Peek();
        const bool more = std::any_of(operators.begin(), operators.end(), [&](std::string_view op) {
            return t.IsWord(op) || t.IsSymbol(op);
        });
        if (!more) return left;
        Next();
        auto e = std::make_unique<Expr>();
        e->kind = kind;
        if (kind == Expr::Kind::Arith) e->name = t.text;
        e->args.push_back(std::move(left));
        e->args.push_back((this->*operand)());
        left = Finish(std::move(e), b, line);
    }
}

ExprPtr Parser::ParseNot() {
    std::size_t b = Peek().begin;
    int line = Peek().line;
    if (AcceptWord("NOT")) {
        auto e = std::make_unique<Expr>();
        e->kind = Expr::Kind::Not;
        e->args.push_back(ParseNot());
        return Finish(std::move(e), b, line);
    }
    return ParsePredicate();
}

// After BETWEEN: a BETWEEN x AND y is a >= x AND a <= y, each side with its own parse of a.
ExprPtr Parser::ParseBetween(ExprPtr left, bool negated, std::size_t b, int line) {
    ExprPtr low = ParseAdditive();
    ExpectWord("AND");
    ExprPtr high = ParseAdditive();
    auto ge = std::make_unique<Expr>();
    ge->kind = Expr::Kind::Compare;
    ge->name = ">=";
    auto leftCopy = ParseStandaloneExpression(text_.substr(left->begin, left->end - left->begin));
    ge->args.push_back(std::move(left));
    ge->args.push_back(std::move(low));
    auto le = std::make_unique<Expr>();
    le->kind = Expr::Kind::Compare;
    le->name = "<=";
    le->args.push_back(std::move(leftCopy));
    le->args.push_back(std::move(high));
    auto both = std::make_unique<Expr>();
    both->kind = Expr::Kind::And;
    both->args.push_back(std::move(ge));
    both->args.push_back(std::move(le));
    if (!negated) return Finish(std::move(both), b, line);
    auto no = std::make_unique<Expr>();
    no->kind = Expr::Kind::Not;
    no->args.push_back(std::move(both));
    return Finish(std::move(no), b, line);
}

// After IN: ( list ) or ( SELECT ... ).
ExprPtr Parser::ParseIn(ExprPtr left, bool negated, std::size_t b, int line) {
    ExpectSymbol("(");
    auto e = std::make_unique<Expr>();
    e->negated = negated;
    e->args.push_back(std::move(left));
    if (Peek().IsWord("SELECT")) {
        e->kind = Expr::Kind::InSelect;
        e->subquery = ParseSelect();
    } else {
        e->kind = Expr::Kind::InList;
        do e->args.push_back(ParseValue());
        while (AcceptSymbol(","));
    }
    ExpectSymbol(")");
    return Finish(std::move(e), b, line);
}

ExprPtr Parser::ParsePredicate() {
    std::size_t b = Peek().begin;
    int line = Peek().line;
    ExprPtr left = ParseAdditive();
    const Token& t = Peek();
    if (t.kind == TokenKind::Symbol &&
        (t.text == "=" || t.text == "<>" || t.text == "!=" || t.text == "<" || t.text == ">" ||
         t.text == "<=" || t.text == ">=" || t.text == "!<" || t.text == "!>")) {
        std::string op = Next().text;
        if (op == "!=") op = "<>";
        if (op == "!<") op = ">=";
        if (op == "!>") op = "<=";
        auto e = std::make_unique<Expr>();
        e->kind = Expr::Kind::Compare;
        e->name = op;
        e->args.push_back(std::move(left));
        e->args.push_back(ParseAdditive());
        return Finish(std::move(e), b, line);
    }
    bool negated = false;
    if (Peek().IsWord("NOT") &&
        (Peek(1).IsWord("LIKE") || Peek(1).IsWord("IN") || Peek(1).IsWord("BETWEEN"))) {
        Next();
        negated = true;
    }
    if (AcceptWord("LIKE")) {
        auto e = std::make_unique<Expr>();
        e->kind = Expr::Kind::Like;
        e->negated = negated;
        e->args.push_back(std::move(left));
        e->args.push_back(ParseAdditive());
        return Finish(std::move(e), b, line);
    }
    if (AcceptWord("BETWEEN")) return ParseBetween(std::move(left), negated, b, line);
    if (AcceptWord("IN")) return ParseIn(std::move(left), negated, b, line);
    if (negated) Fail();
    if (AcceptWord("IS")) {
        auto e = std::make_unique<Expr>();
        e->kind = Expr::Kind::IsNull;
        e->negated = AcceptWord("NOT");
        ExpectWord("NULL");
        e->args.push_back(std::move(left));
        return Finish(std::move(e), b, line);
    }
    return left;
}

ExprPtr Parser::ParseAdditive() {
    return ParseLeftChain({"+", "-"}, Expr::Kind::Arith, &Parser::ParseMultiplicative);
}

ExprPtr Parser::ParseMultiplicative() {
    return ParseLeftChain({"*", "/", "%"}, Expr::Kind::Arith, &Parser::ParseUnary);
}

ExprPtr Parser::ParseUnary() {
    std::size_t b = Peek().begin;
    int line = Peek().line;
    // Every level of nesting (parentheses, subqueries, unary signs) passes here.
    DepthGuard guard(depth_, line);
    if (AcceptSymbol("-")) {
        ExprPtr inner = ParseUnary();
        // Fold the sign into a numeric literal so that -2147483648 is an int, as on SQL Server.
        if (inner->kind == Expr::Kind::Literal && !IsNull(inner->literal)) {
            if (auto* i = std::get_if<std::int64_t>(&inner->literal)) {
                *i = -*i;
                if (*i == -2147483648LL) inner->literalType = MakeType(TypeId::Int);
                return Finish(std::move(inner), b, line);
            }
            if (auto* d = std::get_if<Decimal>(&inner->literal)) {
                d->unscaled = -d->unscaled;
                return Finish(std::move(inner), b, line);
            }
        }
        auto e = std::make_unique<Expr>();
        e->kind = Expr::Kind::Negate;
        e->args.push_back(std::move(inner));
        return Finish(std::move(e), b, line);
    }
    if (AcceptSymbol("+")) return ParseUnary();
    return ParsePrimary();
}

ExprPtr Parser::ParseLiteral() {
    const Token& t = Next();
    auto e = std::make_unique<Expr>();
    e->kind = Expr::Kind::Literal;
    if (t.kind == TokenKind::String || t.kind == TokenKind::NString) {
        // A character outside code page 936 becomes '?', as SQL Server stores it.
        std::string bytes = kavel::Utf8ToCp936Lossy(t.text);
        e->literalType =
            MakeType(TypeId::VarChar, static_cast<int>(std::max<std::size_t>(bytes.size(), 1)));
        e->literal = std::move(bytes);
    } else if (t.kind == TokenKind::Integer && t.text.size() <= 10 &&
               std::stoll(t.text) <= 2147483647LL) {
        e->literal = static_cast<std::int64_t>(std::stoll(t.text));
        e->literalType = MakeType(TypeId::Int);
    } else {
        auto d = ParseDecimalLiteral(t.text);
        if (!d) throw errors::NumberOutOfRange(t.text);
        e->literal = *d;
        e->literalType = MakeType(TypeId::Numeric, 0, d->precision, d->scale);
    }
    return Finish(std::move(e), t.begin, t.line);
}

// A column name, [quoted] or not, with the table or alias before a dot if written.
ExprPtr Parser::ParseColumnRef() {
    const Token& t = Next();
    auto e = std::make_unique<Expr>();
    e->kind = Expr::Kind::Column;
    e->name = t.text;
    while (AcceptSymbol(".")) {
        e->qualifier = e->name;
        e->name = ExpectName();
    }
    return Finish(std::move(e), t.begin, t.line);
}

// CAST(expr AS type) or CONVERT(type, expr [, style]), at the word.
ExprPtr Parser::ParseCast() {
    const Token& t = Next();
    auto e = std::make_unique<Expr>();
    e->kind = Expr::Kind::Cast;
    ExpectSymbol("(");
    if (t.IsWord("CAST")) {
        e->args.push_back(ParseValue());
        ExpectWord("AS");
        e->castType = ParseType(30);
    } else {
        e->castType = ParseType(30);
        ExpectSymbol(",");
        e->args.push_back(ParseValue());
        if (AcceptSymbol(",")) e->args.push_back(ParseValue());
        e->name = "CONVERT";
    }
    ExpectSymbol(")");
    return Finish(std::move(e), t.begin, t.line);
}

ExprPtr Parser::ParseWordPrimary() {
    const Token& t = Peek();
    if (t.IsWord("NULL")) {
        Next();
        auto e = std::make_unique<Expr>();
        e->kind = Expr::Kind::Literal;
        e->literalType = MakeType(TypeId::Int);
        return Finish(std::move(e), t.begin, t.line);
    }
    if (t.IsWord("CAST") || t.IsWord("CONVERT")) return ParseCast();
    bool call =
        Peek(1).IsSymbol("(") && (!IsReservedWord(t.text) || t.IsWord("COALESCE") ||
                                  t.IsWord("NULLIF") || t.IsWord("LEFT") || t.IsWord("RIGHT"));
    if (call) return ParseFunctionCall(Next());
    if (IsReservedWord(t.text)) Fail();
    return ParseColumnRef();
}

ExprPtr Parser::ParsePrimary() {
    const Token& t = Peek();
    switch (t.kind) {
        case TokenKind::String:
        case TokenKind::NString:
        case TokenKind::Integer:
        case TokenKind::Number:
            return ParseLiteral();
        case TokenKind::Variable: {
            Next();
            auto e = std::make_unique<Expr>();
            e->kind = Expr::Kind::Variable;
            e->name = UpperAscii(t.text);
            e->literal = t.text;  // as written, for messages
            return Finish(std::move(e), t.begin, t.line);
        }
        case TokenKind::Symbol:
            if (t.text == "(") {
                Next();
                if (Peek().IsWord("SELECT"))
                    Fail();  // scalar subqueries are not part of this dialect
                ExprPtr inner = ParseExpr();
                ExpectSymbol(")");
                return inner;
            }
            Fail();
        case TokenKind::QuotedName:
            return ParseColumnRef();
        case TokenKind::Word:
            return ParseWordPrimary();
        case TokenKind::End:
            Fail();
    }
    Fail();
}

ExprPtr Parser::ParseFunctionCall(const Token& nameToken) {
    std::size_t b = nameToken.begin;
    int line = nameToken.line;
    auto e = std::make_unique<Expr>();
    std::string name = UpperAscii(nameToken.text);
    ExpectSymbol("(");
    if (name == "COUNT" || name == "SUM" || name == "MIN" || name == "MAX" || name == "AVG") {
        e->kind = Expr::Kind::Aggregate;
        e->name = name;
        if (name == "COUNT" && AcceptSymbol("*")) {
            ExpectSymbol(")");
            return Finish(std::move(e), b, line);
        }
        if (AcceptWord("DISTINCT"))
            e->distinct = true;
        else
            AcceptWord("ALL");
        e->args.push_back(ParseValue());
        ExpectSymbol(")");
        return Finish(std::move(e), b, line);
    }
    e->kind = Expr::Kind::Function;
    e->name = name;
    if (!AcceptSymbol(")")) {
        do e->args.push_back(ParseValue());
        while (AcceptSymbol(","));
        ExpectSymbol(")");
    }
    return Finish(std::move(e), b, line);
}

ExprPtr Parser::ParseOnlyExpression() {
    ExprPtr e = ParseValue();
    if (Peek().kind != TokenKind::End) Fail();
    if (unclosed_) throw SqlError({*unclosed_}, Ends::Batch);
    return e;
}

}  // namespace standin
