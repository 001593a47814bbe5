// SET option value: session options; only ANSI_NULL_DFLT_ON/OFF change behaviour.
#include "sql/Parser.h"
#include "types/Collation.h"

namespace standin {

SetStmt Parser::ParseSet() {
    SetStmt s;
    const Token& opt = Peek();
    if (opt.kind != TokenKind::Word) Fail();
    Next();
    s.option = UpperAscii(opt.text);
    if (s.option == "IDENTITY_INSERT") {
        s.table = ExpectName();
        if (!Peek().IsWord("ON") && !Peek().IsWord("OFF")) Fail();
        s.value = UpperAscii(Next().text);
        return s;
    }
    // SET a, b, c ON
    while (AcceptSymbol(",")) {
        if (Peek().kind != TokenKind::Word) Fail();
        Next();
    }
    const Token& v = Peek();
    if (v.kind == TokenKind::Word || v.kind == TokenKind::Integer || v.kind == TokenKind::String ||
        v.kind == TokenKind::QuotedName) {
        Next();
        s.value = UpperAscii(v.text);
        if (s.option == "TRANSACTION") {
            // SET TRANSACTION ISOLATION LEVEL READ COMMITTED: the remaining words of the level
            while (Peek().kind == TokenKind::Word && !IsReservedWord(Peek().text)) Next();
            if (Peek().IsWord("READ")) {
                Next();
                Next();
            }
        }
        return s;
    }
    if (v.IsSymbol("-") && Peek(1).kind == TokenKind::Integer) {
        Next();
        s.value = "-" + Next().text;
        return s;
    }
    Fail();
}

}  // namespace standin
