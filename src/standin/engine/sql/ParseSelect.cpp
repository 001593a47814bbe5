// SELECT [DISTINCT] [TOP n] items [FROM t] [WHERE ...] [GROUP BY ...] [HAVING ...] [ORDER BY ...]
#include "sql/Parser.h"

namespace standin {

std::shared_ptr<SelectStmt> Parser::ParseSelect() {
    auto s = std::make_shared<SelectStmt>();
    ExpectWord("SELECT");
    if (AcceptWord("DISTINCT"))
        s->distinct = true;
    else
        AcceptWord("ALL");
    if (AcceptWord("TOP")) {
        bool paren = AcceptSymbol("(");
        const Token& n = Peek();
        if (n.kind != TokenKind::Integer || n.text.size() > 18) Fail();
        Next();
        s->top = std::stoll(n.text);
        if (paren) ExpectSymbol(")");
    }
    do {
        SelectItem item;
        if (AcceptSymbol("*")) {
            item.star = true;
        } else {
            // alias = expr
            if ((Peek().kind == TokenKind::Word || Peek().kind == TokenKind::QuotedName) &&
                Peek(1).IsSymbol("=") && !IsReservedWord(Peek().text)) {
                item.alias = Next().text;
                Next();
                item.expr = ParseValue();
            } else {
                item.expr = ParseValue();
                if (AcceptWord("AS")) {
                    const Token& a = Peek();
                    if (a.kind == TokenKind::String) {
                        Next();
                        item.alias = a.text;
                    } else {
                        item.alias = ExpectName();
                    }
                } else if (Peek().kind == TokenKind::QuotedName ||
                           (Peek().kind == TokenKind::Word && !IsReservedWord(Peek().text))) {
                    item.alias = Next().text;
                } else if (Peek().kind == TokenKind::String) {
                    item.alias = Next().text;
                }
            }
        }
        s->items.push_back(std::move(item));
    } while (AcceptSymbol(","));
    if (AcceptWord("FROM")) {
        s->from = ExpectObjectName();
        if (AcceptWord("AS"))
            s->fromAlias = ExpectName();
        else if (Peek().kind == TokenKind::Word && !IsReservedWord(Peek().text))
            s->fromAlias = Next().text;
    }
    if (AcceptWord("WHERE")) s->where = ParseExpr();
    if (AcceptWord("GROUP")) {
        ExpectWord("BY");
        do s->groupBy.push_back(ParseValue());
        while (AcceptSymbol(","));
    }
    if (AcceptWord("HAVING")) s->having = ParseExpr();
    if (AcceptWord("ORDER")) {
        ExpectWord("BY");
        do {
            OrderItem o;
            o.expr = ParseValue();
            if (AcceptWord("DESC"))
                o.descending = true;
            else
                AcceptWord("ASC");
            s->orderBy.push_back(std::move(o));
        } while (AcceptSymbol(","));
    }
    return s;
}

}  // namespace standin
