#include "sql/Parser.h"

#include <cctype>

#include "Cp936.h"
#include "Errors.h"
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

std::vector<Statement> ParseBatch(std::string_view batchUtf8) {
    return Parser(batchUtf8).ParseAll();
}

ExprPtr ParseStandaloneExpression(std::string_view textUtf8) {
    return Parser(textUtf8).ParseOnlyExpression();
}

Parser::Parser(std::string_view text) : text_(text), tokens_(Tokenize(text, &unclosed_)) {}

const Token& Parser::Peek(std::size_t ahead) const {
    std::size_t i = pos_ + ahead;
    return i < tokens_.size() ? tokens_[i] : tokens_.back();
}

const Token& Parser::Next() {
    const Token& t = tokens_[pos_];
    if (pos_ + 1 < tokens_.size()) ++pos_;
    return t;
}

std::size_t Parser::PreviousEnd() const { return pos_ == 0 ? 0 : tokens_[pos_ - 1].end; }

bool Parser::AcceptWord(std::string_view upperWord) {
    if (!Peek().IsWord(upperWord)) return false;
    Next();
    return true;
}

bool Parser::AcceptSymbol(std::string_view symbol) {
    if (!Peek().IsSymbol(symbol)) return false;
    Next();
    return true;
}

void Parser::ExpectWord(std::string_view upperWord) {
    if (!AcceptWord(upperWord)) Fail();
}

void Parser::ExpectSymbol(std::string_view symbol) {
    if (!AcceptSymbol(symbol)) Fail();
}

void Parser::Fail() const {
    const Token* t = &Peek();
    // Reaching the unclosed quote is the error itself; an error before it comes first, then 105.
    if (unclosed_ && t->kind == TokenKind::End) throw SqlError({*unclosed_}, Ends::Batch);
    if (unclosed_) {
        SqlError e = MakeSyntaxError(*t);
        e.Messages().push_back(*unclosed_);
        throw e;
    }
    // At the end of the batch SQL Server names the last token it read.
    if (t->kind == TokenKind::End && pos_ > 0) t = &tokens_[pos_ - 1];
    throw MakeSyntaxError(*t);
}

SqlError Parser::MakeSyntaxError(const Token& t) const {
    if (t.kind == TokenKind::End) return errors::Syntax("", false, t.line);
    std::string shown = t.text;
    if (t.kind == TokenKind::String || t.kind == TokenKind::NString)
        shown = std::string(text_.substr(t.begin, t.end - t.begin));
    bool keyword = t.kind == TokenKind::Word && IsReservedWord(t.text);
    return errors::Syntax(shown, keyword, t.line);
}

std::string Parser::ExpectName() {
    const Token& t = Peek();
    if (t.kind == TokenKind::QuotedName || (t.kind == TokenKind::Word && !IsReservedWord(t.text))) {
        Next();
        return t.text;
    }
    Fail();
}

std::string Parser::ExpectObjectName() {
    std::string name = ExpectName();
    // [database.][owner.]object: only the last part names the object in this one-database engine.
    for (int parts = 1; parts < 3 && Peek().IsSymbol("."); ++parts) {
        Next();
        name = ExpectName();
    }
    return name;
}

std::vector<std::string> Parser::ParseNameList() {
    ExpectSymbol("(");
    std::vector<std::string> names;
    do {
        names.push_back(ExpectName());
        if (AcceptWord("ASC") || AcceptWord("DESC")) {
        }
    } while (AcceptSymbol(","));
    ExpectSymbol(")");
    return names;
}

int Parser::SkipIndexOptions() {
    int fillFactor = 0;
    if (!AcceptWord("WITH")) return fillFactor;
    bool parenthesised = AcceptSymbol("(");
    do {
        const Token& t = Peek();
        if (t.kind != TokenKind::Word) Fail();
        Next();
        if (AcceptSymbol("=")) {
            const Token& v = Peek();
            if (v.kind == TokenKind::Integer || v.kind == TokenKind::Word)
                Next();
            else
                Fail();
            if (t.IsWord("FILLFACTOR")) {
                if (v.kind != TokenKind::Integer || v.text.size() > 3 || std::stoi(v.text) < 1 ||
                    std::stoi(v.text) > 100)
                    throw errors::FillFactorOutOfRange();
                fillFactor = std::stoi(v.text);
            }
        }
    } while (AcceptSymbol(","));
    if (parenthesised) ExpectSymbol(")");
    return fillFactor;
}

SqlType Parser::ParseType(int defaultTextLength) {
    const Token& nameTok = Peek();
    if (nameTok.kind != TokenKind::Word && nameTok.kind != TokenKind::QuotedName) Fail();
    Next();
    auto id = TypeFromName(nameTok.text);
    if (!id) {
        throw errors::UnknownDataType(nameTok.text);
    }
    SqlType t = MakeType(*id);
    auto readInt = [&]() -> long long {
        const Token& n = Peek();
        if (n.kind != TokenKind::Integer) Fail();
        Next();
        return n.text.size() > 9 ? 999999999LL : std::stoll(n.text);
    };
    if (*id == TypeId::Char || *id == TypeId::VarChar) {
        t.length = defaultTextLength;
        if (AcceptSymbol("(")) {
            long long n = readInt();
            ExpectSymbol(")");
            if (n > 8000)
                throw errors::InvalidLength(
                    "The size (" + std::to_string(n) + ") given to the type '" + TypeName(*id) +
                    "' exceeds the maximum allowed for any data type (8000).");
            if (n < 1) throw errors::ZeroLength();
            t.length = static_cast<int>(n);
        }
    } else if (*id == TypeId::Numeric || *id == TypeId::Decimal) {
        t.precision = 18;
        t.scale = 0;
        if (AcceptSymbol("(")) {
            long long p = readInt();
            long long s = 0;
            if (AcceptSymbol(",")) s = readInt();
            ExpectSymbol(")");
            if (p < 1 || p > 38) throw errors::PrecisionTooLarge(static_cast<int>(p));
            if (s > p) throw errors::ScaleTooLarge(static_cast<int>(s), static_cast<int>(p));
            t.precision = static_cast<int>(p);
            t.scale = static_cast<int>(s);
        }
    }
    return t;
}

ColumnDef Parser::ParseColumnDef() {
    ColumnDef c;
    c.name = ExpectName();
    c.type = ParseType();
    // Column options in any order, as SQL Server allows.
    for (;;) {
        std::string constraintName;
        if (AcceptWord("CONSTRAINT")) constraintName = ExpectName();
        if (AcceptWord("NULL")) {
            c.nullable = true;
        } else if (Peek().IsWord("NOT") && Peek(1).IsWord("NULL")) {
            Next();
            Next();
            c.nullable = false;
        } else if (AcceptWord("IDENTITY")) {
            c.identity = true;
            if (AcceptSymbol("(")) {
                auto signedInt = [&]() -> long long {
                    bool neg = AcceptSymbol("-");
                    const Token& n = Peek();
                    if (n.kind != TokenKind::Integer || n.text.size() > 18) Fail();
                    Next();
                    long long v = std::stoll(n.text);
                    return neg ? -v : v;
                };
                c.seed = signedInt();
                ExpectSymbol(",");
                c.increment = signedInt();
                ExpectSymbol(")");
            }
        } else if (Peek().IsWord("DEFAULT")) {
            Next();
            std::size_t b = Peek().begin;
            c.defaultExpr = ParseValue();
            c.defaultText = std::string(text_.substr(b, PreviousEnd() - b));
            c.defaultName = constraintName;
        } else if (AcceptWord("PRIMARY")) {
            ExpectWord("KEY");
            c.primaryKey = true;
            c.keyName = constraintName;
            if (AcceptWord("CLUSTERED"))
                c.keyClustered = true;
            else if (AcceptWord("NONCLUSTERED"))
                c.keyClustered = false;
            else
                c.keyClustered = true;
            SkipIndexOptions();
        } else if (AcceptWord("UNIQUE")) {
            c.unique = true;
            c.keyName = constraintName;
            if (!AcceptWord("CLUSTERED")) AcceptWord("NONCLUSTERED");
        } else if (!constraintName.empty()) {
            Fail();
        } else {
            break;
        }
    }
    return c;
}

// ---- Expressions -------------------------------------------------------------------------------

ExprPtr Parser::Finish(ExprPtr e, std::size_t begin, int line) {
    e->begin = begin;
    e->end = PreviousEnd();
    e->line = line;
    return e;
}

ExprPtr Parser::ParseExpr() { return ParseOr(); }

ExprPtr Parser::ParseValue() { return ParseAdditive(); }

ExprPtr Parser::ParseOr() { return ParseLeftChain("OR", Expr::Kind::Or, &Parser::ParseAnd); }

ExprPtr Parser::ParseAnd() { return ParseLeftChain("AND", Expr::Kind::And, &Parser::ParseNot); }

// operand (WORD operand)*, grouped to the left: a OR b OR c is (a OR b) OR c.
ExprPtr Parser::ParseLeftChain(const char* word, Expr::Kind kind, ExprPtr (Parser::*operand)()) {
    std::size_t b = Peek().begin;
    int line = Peek().line;
    ExprPtr left = (this->*operand)();
    while (AcceptWord(word)) {
        auto e = std::make_unique<Expr>();
        e->kind = kind;
        e->args.push_back(std::move(left));
        e->args.push_back((this->*operand)());
        left = Finish(std::move(e), b, line);
    }
    return left;
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
    std::size_t b = Peek().begin;
    int line = Peek().line;
    ExprPtr left = ParseMultiplicative();
    while (Peek().IsSymbol("+") || Peek().IsSymbol("-")) {
        auto e = std::make_unique<Expr>();
        e->kind = Expr::Kind::Arith;
        e->name = Next().text;
        e->args.push_back(std::move(left));
        e->args.push_back(ParseMultiplicative());
        left = Finish(std::move(e), b, line);
    }
    return left;
}

ExprPtr Parser::ParseMultiplicative() {
    std::size_t b = Peek().begin;
    int line = Peek().line;
    ExprPtr left = ParseUnary();
    while (Peek().IsSymbol("*") || Peek().IsSymbol("/") || Peek().IsSymbol("%")) {
        auto e = std::make_unique<Expr>();
        e->kind = Expr::Kind::Arith;
        e->name = Next().text;
        e->args.push_back(std::move(left));
        e->args.push_back(ParseUnary());
        left = Finish(std::move(e), b, line);
    }
    return left;
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

// ---- Statements --------------------------------------------------------------------------------

std::vector<Statement> Parser::ParseAll() {
    std::vector<Statement> out;
    for (;;) {
        while (AcceptSymbol(";")) {
        }
        if (Peek().kind == TokenKind::End) break;
        out.push_back(ParseStatement());
    }
    if (unclosed_) throw SqlError({*unclosed_}, Ends::Batch);
    return out;
}

Statement Parser::ParseStatement() {
    Statement s;
    const Token& first = Peek();
    s.begin = first.begin;
    s.line = first.line;
    if (first.IsWord("SELECT")) {
        s.body = std::move(*ParseSelect());
    } else if (AcceptWord("INSERT")) {
        s.body = ParseInsert();
    } else if (AcceptWord("UPDATE")) {
        s.body = ParseUpdate();
    } else if (AcceptWord("DELETE")) {
        s.body = ParseDelete();
    } else if (AcceptWord("CREATE")) {
        if (AcceptWord("TABLE"))
            s.body = ParseCreateTable();
        else
            s.body = ParseCreateIndex();
    } else if (AcceptWord("ALTER")) {
        ExpectWord("TABLE");
        s.body = ParseAlterTable();
    } else if (AcceptWord("DROP")) {
        ExpectWord("TABLE");
        s.body = ParseDropTable();
    } else if (AcceptWord("SET")) {
        s.body = ParseSet();
    } else {
        Fail();
    }
    s.end = PreviousEnd();
    return s;
}

}  // namespace standin
