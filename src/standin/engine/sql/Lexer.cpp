#include "sql/Lexer.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <set>

#include "Errors.h"

namespace standin {
namespace {

bool IsWordStart(unsigned char c) { return std::isalpha(c) || c == '_' || c == '#' || c >= 0x80; }
bool IsWordPart(unsigned char c) {
    return std::isalnum(c) || c == '_' || c == '#' || c == '@' || c == '$' || c >= 0x80;
}

}  // namespace

std::string UpperAscii(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return r;
}

bool Token::IsWord(std::string_view upperWord) const {
    return kind == TokenKind::Word && text.size() == upperWord.size() && UpperAscii(text) == upperWord;
}

bool IsReservedWord(std::string_view word) {
    static const std::set<std::string_view> kWords = {
        "ADD", "ALL", "ALTER", "AND", "ANY", "AS", "ASC", "AUTHORIZATION", "BACKUP", "BEGIN", "BETWEEN",
        "BREAK", "BROWSE", "BULK", "BY", "CASCADE", "CASE", "CHECK", "CHECKPOINT", "CLOSE", "CLUSTERED",
        "COALESCE", "COLLATE", "COLUMN", "COMMIT", "COMPUTE", "CONSTRAINT", "CONTAINS", "CONTAINSTABLE",
        "CONTINUE", "CONVERT", "CREATE", "CROSS", "CURRENT", "CURRENT_DATE", "CURRENT_TIME",
        "CURRENT_TIMESTAMP", "CURRENT_USER", "CURSOR", "DATABASE", "DBCC", "DEALLOCATE", "DECLARE",
        "DEFAULT", "DELETE", "DENY", "DESC", "DISK", "DISTINCT", "DISTRIBUTED", "DOUBLE", "DROP", "DUMP",
        "ELSE", "END", "ERRLVL", "ESCAPE", "EXCEPT", "EXEC", "EXECUTE", "EXISTS", "EXIT", "EXTERNAL",
        "FETCH", "FILE", "FILLFACTOR", "FOR", "FOREIGN", "FREETEXT", "FREETEXTTABLE", "FROM", "FULL",
        "FUNCTION", "GOTO", "GRANT", "GROUP", "HAVING", "HOLDLOCK", "IDENTITY", "IDENTITY_INSERT",
        "IDENTITYCOL", "IF", "IN", "INDEX", "INNER", "INSERT", "INTERSECT", "INTO", "IS", "JOIN", "KEY",
        "KILL", "LEFT", "LIKE", "LINENO", "LOAD", "MERGE", "NATIONAL", "NOCHECK", "NONCLUSTERED", "NOT",
        "NULL", "NULLIF", "OF", "OFF", "OFFSETS", "ON", "OPEN", "OPENDATASOURCE", "OPENQUERY",
        "OPENROWSET", "OPENXML", "OPTION", "OR", "ORDER", "OUTER", "OVER", "PERCENT", "PIVOT", "PLAN",
        "PRECISION", "PRIMARY", "PRINT", "PROC", "PROCEDURE", "PUBLIC", "RAISERROR", "READ", "READTEXT",
        "RECONFIGURE", "REFERENCES", "REPLICATION", "RESTORE", "RESTRICT", "RETURN", "REVERT", "REVOKE",
        "RIGHT", "ROLLBACK", "ROWCOUNT", "ROWGUIDCOL", "RULE", "SAVE", "SCHEMA", "SECURITYAUDIT",
        "SELECT", "SESSION_USER", "SET", "SETUSER", "SHUTDOWN", "SOME", "STATISTICS", "SYSTEM_USER",
        "TABLE", "TABLESAMPLE", "TEXTSIZE", "THEN", "TO", "TOP", "TRAN", "TRANSACTION", "TRIGGER",
        "TRUNCATE", "TRY_CONVERT", "TSEQUAL", "UNION", "UNIQUE", "UNPIVOT", "UPDATE", "UPDATETEXT", "USE",
        "USER", "VALUES", "VARYING", "VIEW", "WAITFOR", "WHEN", "WHERE", "WHILE", "WITH", "WITHIN",
        "WRITETEXT", "SEMANTICKEYPHRASETABLE", "SEMANTICSIMILARITYTABLE", "SEMANTICSIMILARITYDETAILSTABLE",
    };
    return kWords.count(UpperAscii(word)) > 0;
}

std::vector<Token> Tokenize(std::string_view s, std::optional<SqlMessage>* unclosed) {
    std::vector<Token> out;
    std::size_t i = 0;
    int line = 1;
    auto advanceTo = [&](std::size_t j) {
        for (std::size_t k = i; k < j && k < s.size(); ++k)
            if (s[k] == '\n') ++line;
        i = j;
    };
    while (i < s.size()) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v') {
            advanceTo(i + 1);
            continue;
        }
        if (c == '-' && i + 1 < s.size() && s[i + 1] == '-') {
            std::size_t j = s.find('\n', i);
            advanceTo(j == std::string_view::npos ? s.size() : j);
            continue;
        }
        if (c == '/' && i + 1 < s.size() && s[i + 1] == '*') {
            // Block comments nest in Transact-SQL.
            std::size_t j = i + 2;
            int depth = 1;
            while (j < s.size() && depth > 0) {
                if (s[j] == '/' && j + 1 < s.size() && s[j + 1] == '*') {
                    ++depth;
                    j += 2;
                } else if (s[j] == '*' && j + 1 < s.size() && s[j + 1] == '/') {
                    --depth;
                    j += 2;
                } else {
                    ++j;
                }
            }
            if (depth > 0) {
                throw errors::MissingEndComment();
            }
            advanceTo(j);
            continue;
        }
        Token t;
        t.begin = i;
        t.line = line;
        if (c == '\'' || ((c == 'N' || c == 'n') && i + 1 < s.size() && s[i + 1] == '\'')) {
            t.kind = c == '\'' ? TokenKind::String : TokenKind::NString;
            std::size_t j = i + (c == '\'' ? 1 : 2);
            std::string value;
            bool closed = false;
            while (j < s.size()) {
                if (s[j] == '\'') {
                    if (j + 1 < s.size() && s[j + 1] == '\'') {
                        value += '\'';
                        j += 2;
                        continue;
                    }
                    closed = true;
                    ++j;
                    break;
                }
                value += s[j++];
            }
            if (!closed) {
                SqlError e = errors::UnclosedQuote(value, line);
                if (!unclosed) throw e;
                *unclosed = e.Messages()[0];
                break;
            }
            t.text = std::move(value);
            t.end = j;
            advanceTo(j);
            out.push_back(std::move(t));
            continue;
        }
        if (c == '[' || c == '"') {
            char close = c == '[' ? ']' : '"';
            std::size_t j = i + 1;
            std::string name;
            bool closed = false;
            while (j < s.size()) {
                if (s[j] == close) {
                    if (j + 1 < s.size() && s[j + 1] == close) {
                        name += close;
                        j += 2;
                        continue;
                    }
                    closed = true;
                    ++j;
                    break;
                }
                name += s[j++];
            }
            if (!closed)
                throw errors::UnclosedQuote(name, 1);
            t.kind = TokenKind::QuotedName;
            t.text = std::move(name);
            t.end = j;
            advanceTo(j);
            out.push_back(std::move(t));
            continue;
        }
        if (std::isdigit(c) || (c == '.' && i + 1 < s.size() && std::isdigit(static_cast<unsigned char>(s[i + 1])))) {
            std::size_t j = i;
            bool point = false;
            while (j < s.size() && (std::isdigit(static_cast<unsigned char>(s[j])) || (s[j] == '.' && !point))) {
                if (s[j] == '.') point = true;
                ++j;
            }
            if (j < s.size() && (s[j] == 'e' || s[j] == 'E')) {
                std::size_t k = j + 1;
                if (k < s.size() && (s[k] == '+' || s[k] == '-')) ++k;
                if (k < s.size() && std::isdigit(static_cast<unsigned char>(s[k]))) {
                    while (k < s.size() && std::isdigit(static_cast<unsigned char>(s[k]))) ++k;
                    j = k;
                    point = true;
                }
            }
            t.kind = point ? TokenKind::Number : TokenKind::Integer;
            t.text = std::string(s.substr(i, j - i));
            t.end = j;
            advanceTo(j);
            out.push_back(std::move(t));
            continue;
        }
        if (c == '@') {
            std::size_t j = i + 1;
            if (j < s.size() && s[j] == '@') ++j;
            while (j < s.size() && IsWordPart(static_cast<unsigned char>(s[j]))) ++j;
            t.kind = TokenKind::Variable;
            t.text = std::string(s.substr(i, j - i));
            t.end = j;
            advanceTo(j);
            out.push_back(std::move(t));
            continue;
        }
        if (IsWordStart(c)) {
            std::size_t j = i + 1;
            while (j < s.size() && IsWordPart(static_cast<unsigned char>(s[j]))) ++j;
            t.kind = TokenKind::Word;
            t.text = std::string(s.substr(i, j - i));
            t.end = j;
            advanceTo(j);
            out.push_back(std::move(t));
            continue;
        }
        static const std::array<std::string_view, 8> kTwo = {"<>", "!=", "<=", ">=", "!<", "!>", "+=", "-="};
        std::string_view two = s.substr(i, 2);
        std::size_t len = 1;
        if (two.size() == 2 && std::find(kTwo.begin(), kTwo.end(), two) != kTwo.end()) len = 2;
        std::string_view sym = s.substr(i, len);
        static const std::string_view kOne = "(),.;*+-/%=<>!~&|^";
        if (len == 1 && kOne.find(sym[0]) == std::string_view::npos) {
            // Bytes that start no token: report them as SQL Server does, as a syntax error there.
            std::size_t n = 1;
            while (i + n < s.size() && (static_cast<unsigned char>(s[i + n]) & 0xC0) == 0x80) ++n;
            throw errors::Syntax(s.substr(i, n), false, line);
        }
        t.kind = TokenKind::Symbol;
        t.text = std::string(sym);
        t.end = i + len;
        advanceTo(i + len);
        out.push_back(std::move(t));
    }
    Token end;
    end.kind = TokenKind::End;
    end.begin = end.end = s.size();
    end.line = line;
    out.push_back(end);
    return out;
}

}  // namespace standin
