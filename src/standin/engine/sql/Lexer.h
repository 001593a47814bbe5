#pragma once
// Splits a batch (UTF-8 text) into Transact-SQL tokens. Comments and white space are dropped;
// every token keeps its byte range in the batch and its line (counting from 1), so statements can
// be cut from the batch and messages can name their line.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Engine.h"

namespace standin {

enum class TokenKind {
    Word,        // identifier or keyword, unquoted
    QuotedName,  // [name] or "name"; text is the name without delimiters
    String,      // 'text'; text is the value (UTF-8) with '' undone
    NString,     // N'text'
    Integer,     // digits only
    Number,      // digits with a decimal point (or exponent)
    Variable,    // @name or @@name; text includes the at signs
    Symbol,      // punctuation and operators: ( ) , . ; * + - / % = <> != < > <= >= !< !>
    End,
};

struct Token {
    TokenKind kind = TokenKind::End;
    std::string text;
    std::size_t begin = 0;  // byte offset of the token in the batch
    std::size_t end = 0;    // one past its last byte
    int line = 1;

    bool IsWord(std::string_view upperWord) const;  // a Word equal to upperWord, ignoring case
    bool IsSymbol(std::string_view s) const { return kind == TokenKind::Symbol && text == s; }
};

// Throws SqlError 102 for a character no token starts with. An unclosed quote or [name] ends the
// tokens there: `unclosed` (when given) receives SQL Server's 105 for it, to be reported after any
// syntax error in the text before it; without `unclosed` the 105 is thrown.
std::vector<Token> Tokenize(std::string_view batch, std::optional<SqlMessage>* unclosed = nullptr);
// The same into `out`, replacing what it held and keeping its capacity.
void Tokenize(std::string_view batch, std::vector<Token>& out,
              std::optional<SqlMessage>* unclosed = nullptr);

// True for the words SQL Server reserves (they make a syntax error 156 instead of 102).
bool IsReservedWord(std::string_view word);

}  // namespace standin
