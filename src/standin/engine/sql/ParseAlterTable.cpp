// ALTER TABLE t ADD columns | ADD CONSTRAINT ... | ALTER COLUMN ... | DROP COLUMN ... | DROP
// CONSTRAINT ...
#include "sql/Parser.h"

namespace standin {
namespace {

// [WITH VALUES] after an added column or default: existing rows take the default too.
void ParseWithValues(Parser& p, AlterTableStmt& s) {
    if (p.AcceptWord("WITH")) {
        p.ExpectWord("VALUES");
        s.withValues = true;
    }
}

// After ADD [CONSTRAINT name] DEFAULT: expr FOR column [WITH VALUES].
void ParseAddDefault(Parser& p, AlterTableStmt& s, std::string name) {
    s.action = AlterTableStmt::Action::AddDefault;
    s.name = std::move(name);
    std::size_t b = p.Peek().begin;
    s.defaultExpr = p.ParseValue();
    s.defaultText = std::string(p.Text().substr(b, p.PreviousEnd() - b));
    p.ExpectWord("FOR");
    s.column = p.ExpectName();
    ParseWithValues(p, s);
}

// At PRIMARY KEY or UNIQUE: [CLUSTERED | NONCLUSTERED] (columns) [WITH options]. A primary key
// is clustered unless it says otherwise, a unique key not.
void ParseAddKey(Parser& p, AlterTableStmt& s, std::string name) {
    s.action = AlterTableStmt::Action::AddKey;
    s.key.name = std::move(name);
    if (p.AcceptWord("PRIMARY")) {
        p.ExpectWord("KEY");
        s.key.primary = true;
    } else {
        p.ExpectWord("UNIQUE");
        s.key.primary = false;
    }
    s.key.clustered = s.key.primary;
    if (p.AcceptWord("CLUSTERED"))
        s.key.clustered = true;
    else if (p.AcceptWord("NONCLUSTERED"))
        s.key.clustered = false;
    s.key.columns = p.ParseNameList();
    s.key.fillFactor = p.SkipIndexOptions();
}

// After ADD: a constraint, or column definitions separated by commas [WITH VALUES].
void ParseAdd(Parser& p, AlterTableStmt& s) {
    if (p.Peek().IsWord("CONSTRAINT") || p.Peek().IsWord("PRIMARY") || p.Peek().IsWord("UNIQUE")) {
        std::string name;
        if (p.AcceptWord("CONSTRAINT")) name = p.ExpectName();
        if (p.AcceptWord("DEFAULT"))
            ParseAddDefault(p, s, std::move(name));
        else
            ParseAddKey(p, s, std::move(name));
        return;
    }
    s.action = AlterTableStmt::Action::AddColumns;
    do s.columns.push_back(p.ParseColumnDef());
    while (p.AcceptSymbol(","));
    ParseWithValues(p, s);
}

// After ALTER COLUMN: name type [NULL | NOT NULL].
void ParseAlterColumn(Parser& p, AlterTableStmt& s) {
    s.action = AlterTableStmt::Action::AlterColumn;
    ColumnDef c;
    c.name = p.ExpectName();
    c.type = p.ParseType();
    if (p.AcceptWord("NULL")) {
        c.nullable = true;
    } else if (p.AcceptWord("NOT")) {
        p.ExpectWord("NULL");
        c.nullable = false;
    }
    s.columns.push_back(std::move(c));
}

}  // namespace

AlterTableStmt Parser::ParseAlterTable() {
    AlterTableStmt s;
    s.table = ExpectObjectName();
    if (AcceptWord("ADD")) {
        ParseAdd(*this, s);
    } else if (AcceptWord("ALTER")) {
        ExpectWord("COLUMN");
        ParseAlterColumn(*this, s);
    } else if (AcceptWord("DROP")) {
        if (AcceptWord("COLUMN")) {
            s.action = AlterTableStmt::Action::DropColumn;
        } else {
            AcceptWord("CONSTRAINT");
            s.action = AlterTableStmt::Action::DropConstraint;
        }
        s.name = ExpectName();
    } else {
        Fail();
    }
    return s;
}

}  // namespace standin
