// A column's definition in CREATE TABLE and ALTER TABLE ... ADD: name, type, and its options
// (NULL, NOT NULL, IDENTITY, DEFAULT, PRIMARY KEY, UNIQUE) in any order.
#include "sql/Parser.h"

namespace standin {

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

}  // namespace standin
