// SELECT [DISTINCT] [TOP n] items [FROM t] [WHERE ...] [GROUP BY ...] [HAVING ...] [ORDER BY ...]
#include "sql/Parser.h"

namespace standin {
namespace {

// TOP n or TOP (n), after TOP.
std::int64_t ParseTop(Parser& p) {
    bool paren = p.AcceptSymbol("(");
    const Token& n = p.Peek();
    if (n.kind != TokenKind::Integer || n.text.size() > 18) p.Fail();
    p.Next();
    if (paren) p.ExpectSymbol(")");
    return std::stoll(n.text);
}

// After an item's expression: [AS] alias, where the alias may also be a 'string'.
std::string ParseItemAlias(Parser& p) {
    if (p.AcceptWord("AS")) {
        const Token& a = p.Peek();
        if (a.kind != TokenKind::String) return p.ExpectName();
        p.Next();
        return a.text;
    }
    const Token& t = p.Peek();
    if (t.kind == TokenKind::QuotedName || t.kind == TokenKind::String ||
        (t.kind == TokenKind::Word && !IsReservedWord(t.text)))
        return p.Next().text;
    return {};
}

// One item of the select list: *, alias = expr, or expr [[AS] alias].
SelectItem ParseSelectItem(Parser& p) {
    SelectItem item;
    if (p.AcceptSymbol("*")) {
        item.star = true;
    } else if ((p.Peek().kind == TokenKind::Word || p.Peek().kind == TokenKind::QuotedName) &&
               p.Peek(1).IsSymbol("=") && !IsReservedWord(p.Peek().text)) {
        item.alias = p.Next().text;
        p.Next();
        item.expr = p.ParseValue();
    } else {
        item.expr = p.ParseValue();
        item.alias = ParseItemAlias(p);
    }
    return item;
}

// After ORDER BY: expr [ASC | DESC], ...
std::vector<OrderItem> ParseOrderBy(Parser& p) {
    std::vector<OrderItem> items;
    do {
        OrderItem o;
        o.expr = p.ParseValue();
        if (p.AcceptWord("DESC"))
            o.descending = true;
        else
            p.AcceptWord("ASC");
        items.push_back(std::move(o));
    } while (p.AcceptSymbol(","));
    return items;
}

}  // namespace

std::shared_ptr<SelectStmt> Parser::ParseSelect() {
    auto s = std::make_shared<SelectStmt>();
    ExpectWord("SELECT");
    if (AcceptWord("DISTINCT"))
        s->distinct = true;
    else
        AcceptWord("ALL");
    if (AcceptWord("TOP")) s->top = ParseTop(*this);
    do s->items.push_back(ParseSelectItem(*this));
    while (AcceptSymbol(","));
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
        s->orderBy = ParseOrderBy(*this);
    }
    return s;
}

}  // namespace standin
