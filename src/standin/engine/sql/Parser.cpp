// The parser's token access, the grammar its statements share (names, types, index options)
// and the dispatch of a batch's statements to their own files.
#include "sql/Parser.h"

#include "Errors.h"
#include "types/SqlTypes.h"

namespace standin {

std::vector<Statement> ParseBatch(std::string_view batchUtf8) {
    return Parser(batchUtf8).ParseAll();
}

ExprPtr ParseStandaloneExpression(std::string_view textUtf8) {
    return Parser(textUtf8).ParseOnlyExpression();
}

namespace {

// The tokens of the batch parsed last on this thread, kept for their block: a statement's tokens
// take a kilobyte or two, and allocating and freeing a block that size for every statement made
// the allocator sort all its free lists each time. Blocks of large scripts are not kept.
thread_local std::vector<Token> spareTokens;
constexpr std::size_t kSpareTokensKept = 4096;

}  // namespace

Parser::Parser(std::string_view text) : text_(text), tokens_(std::move(spareTokens)) {
    Tokenize(text, tokens_, &unclosed_);
}

Parser::~Parser() {
    tokens_.clear();
    if (tokens_.capacity() <= kSpareTokensKept) spareTokens = std::move(tokens_);
}

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
