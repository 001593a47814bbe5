#include "sql/Lexer.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <set>

#include "Errors.h"
#include "types/Collation.h"

namespace standin {
namespace {

bool IsWordStart(unsigned char c) { return std::isalpha(c) || c == '_' || c == '#' || c >= 0x80; }
bool IsWordPart(unsigned char c) {
    return std::isalnum(c) || c == '_' || c == '#' || c == '@' || c == '$' || c >= 0x80;
}

}  // namespace

bool Token::IsWord(std::string_view upperWord) const {
    if (kind != TokenKind::Word || text.size() != upperWord.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if ((c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c) != upperWord[i])
            return false;
    }
    return true;
}

bool IsReservedWord(std::string_view word) {
    // clang-format off
    static const std::set<std::string_view> kWords = {
        "ADD", "ALL", "ALTER", "AND", "ANY", "AS", "ASC", "AUTHORIZATION", "BACKUP", "BEGIN",
        "BETWEEN", "BREAK", "BROWSE", "BULK", "BY", "CASCADE", "CASE", "CHECK", "CHECKPOINT",
        "CLOSE", "CLUSTERED", "COALESCE", "COLLATE", "COLUMN", "COMMIT", "COMPUTE", "CONSTRAINT",
        "CONTAINS", "CONTAINSTABLE", "CONTINUE", "CONVERT", "CREATE", "CROSS", "CURRENT",
        "CURRENT_DATE", "CURRENT_TIME", "CURRENT_TIMESTAMP", "CURRENT_USER", "CURSOR", "DATABASE",
        "DBCC", "DEALLOCATE", "DECLARE", "DEFAULT", "DELETE", "DENY", "DESC", "DISK", "DISTINCT",
        "DISTRIBUTED", "DOUBLE", "DROP", "DUMP", "ELSE", "END", "ERRLVL", "ESCAPE", "EXCEPT",
        "EXEC", "EXECUTE", "EXISTS", "EXIT", "EXTERNAL", "FETCH", "FILE", "FILLFACTOR", "FOR",
        "FOREIGN", "FREETEXT", "FREETEXTTABLE", "FROM", "FULL", "FUNCTION", "GOTO", "GRANT",
        "GROUP", "HAVING", "HOLDLOCK", "IDENTITY", "IDENTITY_INSERT", "IDENTITYCOL", "IF", "IN",
        "INDEX", "INNER", "INSERT", "INTERSECT", "INTO", "IS", "JOIN", "KEY", "KILL", "LEFT",
        "LIKE", "LINENO", "LOAD", "MERGE", "NATIONAL", "NOCHECK", "NONCLUSTERED", "NOT", "NULL",
        "NULLIF", "OF", "OFF", "OFFSETS", "ON", "OPEN", "OPENDATASOURCE", "OPENQUERY", "OPENROWSET",
        "OPENXML", "OPTION", "OR", "ORDER", "OUTER", "OVER", "PERCENT", "PIVOT", "PLAN",
        "PRECISION", "PRIMARY", "PRINT", "PROC", "PROCEDURE", "PUBLIC", "RAISERROR", "READ",
        "READTEXT", "RECONFIGURE", "REFERENCES", "REPLICATION", "RESTORE", "RESTRICT", "RETURN",
        "REVERT", "REVOKE", "RIGHT", "ROLLBACK", "ROWCOUNT", "ROWGUIDCOL", "RULE", "SAVE", "SCHEMA",
        "SECURITYAUDIT", "SELECT", "SESSION_USER", "SET", "SETUSER", "SHUTDOWN", "SOME",
        "STATISTICS", "SYSTEM_USER", "TABLE", "TABLESAMPLE", "TEXTSIZE", "THEN", "TO", "TOP",
        "TRAN", "TRANSACTION", "TRIGGER", "TRUNCATE", "TRY_CONVERT", "TSEQUAL", "UNION", "UNIQUE",
        "UNPIVOT", "UPDATE", "UPDATETEXT", "USE", "USER", "VALUES", "VARYING", "VIEW", "WAITFOR",
        "WHEN", "WHERE", "WHILE", "WITH", "WITHIN", "WRITETEXT", "SEMANTICKEYPHRASETABLE",
        "SEMANTICSIMILARITYTABLE", "SEMANTICSIMILARITYDETAILSTABLE",
    };
    // clang-format on
    // Upper-cased on the stack: every name a statement holds is checked.
    char upper[32];
    if (word.empty() || word.size() > sizeof upper) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        const char c = word[i];
        upper[i] = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return kWords.count(std::string_view(upper, word.size())) > 0;
}

namespace {

// Text between delimiters, where a doubled closing character stands for one: '' inside a
// string, ]] inside [name], "" inside "name".
struct Delimited {
    std::string text;
    std::size_t end = 0;  // one past the closing delimiter, or the end of the batch
    bool closed = false;
};

Delimited ScanDelimited(std::string_view s, std::size_t from, char close) {
    Delimited d;
    d.end = from;
    while (d.end < s.size()) {
        if (s[d.end] != close) {
            d.text += s[d.end++];
        } else if (d.end + 1 < s.size() && s[d.end + 1] == close) {
            d.text += close;
            d.end += 2;
        } else {
            ++d.end;
            d.closed = true;
            break;
        }
    }
    return d;
}

bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// Walks a batch once, front to back, keeping the line count in step with the position.
class TokenScanner {
public:
    TokenScanner(std::string_view s, std::vector<Token>& out, std::optional<SqlMessage>* unclosed)
        : s_(s), unclosed_(unclosed), out_(out) {
        out_.clear();
        // About one token per four bytes in the statements a client sends: one allocation
        // instead of a vector doubling its way up.
        out_.reserve(s.size() / 4 + 2);
    }

    void Run() {
        while (i_ < s_.size()) {
            if (SkipBlank()) continue;
            if (!ScanToken()) break;
        }
        Token end;
        end.kind = TokenKind::End;
        end.begin = end.end = s_.size();
        end.line = line_;
        out_.push_back(end);
    }

private:
    char At(std::size_t k) const { return k < s_.size() ? s_[k] : '\0'; }

    void AdvanceTo(std::size_t j) {
        for (std::size_t k = i_; k < j && k < s_.size(); ++k)
            if (s_[k] == '\n') ++line_;
        i_ = j;
    }

    // White space and comments; false when the next byte starts a token.
    bool SkipBlank() {
        const char c = s_[i_];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v') {
            AdvanceTo(i_ + 1);
        } else if (c == '-' && At(i_ + 1) == '-') {
            const std::size_t j = s_.find('\n', i_);
            AdvanceTo(j == std::string_view::npos ? s_.size() : j);
        } else if (c == '/' && At(i_ + 1) == '*') {
            SkipBlockComment();
        } else {
            return false;
        }
        return true;
    }

    // Block comments nest in Transact-SQL.
    void SkipBlockComment() {
        std::size_t j = i_ + 2;
        int depth = 1;
        while (j < s_.size() && depth > 0) {
            if (s_[j] == '/' && At(j + 1) == '*') {
                ++depth;
                j += 2;
            } else if (s_[j] == '*' && At(j + 1) == '/') {
                --depth;
                j += 2;
            } else {
                ++j;
            }
        }
        if (depth > 0) throw errors::MissingEndComment();
        AdvanceTo(j);
    }

    // False when the tokens end here (an unclosed quote reported through `unclosed`).
    bool ScanToken() {
        const auto c = static_cast<unsigned char>(s_[i_]);
        if (c == '\'') return ScanQuoted(TokenKind::String, 1, '\'');
        if ((c == 'N' || c == 'n') && At(i_ + 1) == '\'')
            return ScanQuoted(TokenKind::NString, 2, '\'');
        if (c == '[') return ScanQuoted(TokenKind::QuotedName, 1, ']');
        if (c == '"') return ScanQuoted(TokenKind::QuotedName, 1, '"');
        if (IsDigit(static_cast<char>(c)) || (c == '.' && IsDigit(At(i_ + 1)))) {
            bool point = false;
            const std::size_t end = NumberEnd(point);
            Emit(point ? TokenKind::Number : TokenKind::Integer, end,
                 std::string(s_.substr(i_, end - i_)));
        } else if (c == '@') {
            const std::size_t end = WordEnd(At(i_ + 1) == '@' ? i_ + 2 : i_ + 1);
            Emit(TokenKind::Variable, end, std::string(s_.substr(i_, end - i_)));
        } else if (IsWordStart(c)) {
            const std::size_t end = WordEnd(i_ + 1);
            Emit(TokenKind::Word, end, std::string(s_.substr(i_, end - i_)));
        } else {
            const std::size_t length = SymbolLength();
            Emit(TokenKind::Symbol, i_ + length, std::string(s_.substr(i_, length)));
        }
        return true;
    }

    // A string, N'string' or delimited name; `open` is the length of its opening delimiter.
    bool ScanQuoted(TokenKind kind, std::size_t open, char close) {
        Delimited d = ScanDelimited(s_, i_ + open, close);
        if (!d.closed) {
            SqlError e = errors::UnclosedQuote(d.text, line_);
            if (!unclosed_) throw e;
            *unclosed_ = e.Messages()[0];
            return false;
        }
        Emit(kind, d.end, std::move(d.text));
        return true;
    }

    // Digits with at most one decimal point, then an optional exponent (which makes a Number).
    std::size_t NumberEnd(bool& point) const {
        std::size_t j = i_;
        while (j < s_.size() && (IsDigit(s_[j]) || (s_[j] == '.' && !point))) {
            if (s_[j] == '.') point = true;
            ++j;
        }
        if (At(j) == 'e' || At(j) == 'E') {
            std::size_t k = j + 1;
            if (At(k) == '+' || At(k) == '-') ++k;
            if (IsDigit(At(k))) {
                while (IsDigit(At(k))) ++k;
                j = k;
                point = true;
            }
        }
        return j;
    }

    std::size_t WordEnd(std::size_t j) const {
        while (j < s_.size() && IsWordPart(static_cast<unsigned char>(s_[j]))) ++j;
        return j;
    }

    // Length of the operator or punctuation at i_; a byte that starts no token is a syntax error
    // there, reported with the whole UTF-8 character as SQL Server does.
    std::size_t SymbolLength() const {
        static const std::array<std::string_view, 8> kTwo = {
            "<>", "!=", "<=", ">=", "!<", "!>", "+=", "-="};
        static const std::string_view kOne = "(),.;*+-/%=<>!~&|^";
        const std::string_view two = s_.substr(i_, 2);
        if (two.size() == 2 && std::find(kTwo.begin(), kTwo.end(), two) != kTwo.end()) return 2;
        if (kOne.find(s_[i_]) != std::string_view::npos) return 1;
        std::size_t n = 1;
        while (i_ + n < s_.size() && (static_cast<unsigned char>(s_[i_ + n]) & 0xC0) == 0x80) ++n;
        throw errors::Syntax(s_.substr(i_, n), false, line_);
    }

    void Emit(TokenKind kind, std::size_t end, std::string text) {
        Token t;
        t.kind = kind;
        t.text = std::move(text);
        t.begin = i_;
        t.end = end;
        t.line = line_;
        AdvanceTo(end);
        out_.push_back(std::move(t));
    }

    std::string_view s_;
    std::optional<SqlMessage>* unclosed_;
    std::size_t i_ = 0;
    int line_ = 1;
    std::vector<Token>& out_;
};

}  // namespace

void Tokenize(std::string_view s, std::vector<Token>& out, std::optional<SqlMessage>* unclosed) {
    TokenScanner(s, out, unclosed).Run();
}

std::vector<Token> Tokenize(std::string_view s, std::optional<SqlMessage>* unclosed) {
    std::vector<Token> out;
    Tokenize(s, out, unclosed);
    return out;
}

}  // namespace standin
