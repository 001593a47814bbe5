// ALTER TABLE t ADD columns | ADD CONSTRAINT ... | ALTER COLUMN ... | DROP COLUMN ... | DROP
// CONSTRAINT ...
#include "sql/Parser.h"

namespace standin {

AlterTableStmt Parser::ParseAlterTable() {
    AlterTableStmt s;
    s.table = ExpectObjectName();
    if (AcceptWord("ADD")) {
        if (Peek().IsWord("CONSTRAINT") || Peek().IsWord("PRIMARY") || Peek().IsWord("UNIQUE")) {
            std::string name;
            if (AcceptWord("CONSTRAINT")) name = ExpectName();
            if (AcceptWord("DEFAULT")) {
                s.action = AlterTableStmt::Action::AddDefault;
                s.name = name;
                std::size_t b = Peek().begin;
                s.defaultExpr = ParseValue();
                s.defaultText = std::string(Text().substr(b, PreviousEnd() - b));
                ExpectWord("FOR");
                s.column = ExpectName();
                if (AcceptWord("WITH")) {
                    ExpectWord("VALUES");
                    s.withValues = true;
                }
                return s;
            }
            s.action = AlterTableStmt::Action::AddKey;
            s.key.name = name;
            if (AcceptWord("PRIMARY")) {
                ExpectWord("KEY");
                s.key.primary = true;
            } else {
                ExpectWord("UNIQUE");
                s.key.primary = false;
            }
            s.key.clustered = s.key.primary;
            if (AcceptWord("CLUSTERED"))
                s.key.clustered = true;
            else if (AcceptWord("NONCLUSTERED"))
                s.key.clustered = false;
            s.key.columns = ParseNameList();
            s.key.fillFactor = SkipIndexOptions();
            return s;
        }
        s.action = AlterTableStmt::Action::AddColumns;
        do s.columns.push_back(ParseColumnDef());
        while (AcceptSymbol(","));
        if (AcceptWord("WITH")) {
            ExpectWord("VALUES");
            s.withValues = true;
        }
        return s;
    }
    if (AcceptWord("ALTER")) {
        ExpectWord("COLUMN");
        s.action = AlterTableStmt::Action::AlterColumn;
        ColumnDef c;
        c.name = ExpectName();
        c.type = ParseType();
        if (AcceptWord("NULL")) {
            c.nullable = true;
        } else if (AcceptWord("NOT")) {
            ExpectWord("NULL");
            c.nullable = false;
        }
        s.columns.push_back(std::move(c));
        return s;
    }
    if (AcceptWord("DROP")) {
        if (AcceptWord("COLUMN")) {
            s.action = AlterTableStmt::Action::DropColumn;
            s.name = ExpectName();
            return s;
        }
        AcceptWord("CONSTRAINT");
        s.action = AlterTableStmt::Action::DropConstraint;
        s.name = ExpectName();
        return s;
    }
    Fail();
}

}  // namespace standin
