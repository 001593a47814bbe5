// The CREATE and primary-key statements produced from a table declaration, byte for byte.

#include <gtest/gtest.h>

#include "TableDecl.h"

namespace kavel {
namespace {

TEST(TableDeclTest, ColumnLinesCarryOnlyTheClausesDeclared) {
    struct Case {
        ColumnDecl column;
        const char* line;
    };
    const Case cases[] = {
        {{"vm_mess", "char(40)", "", "''"}, "\t\tvm_mess \tchar(40) default('')"},
        {{"bp_id", "int", "NOT NULL IDENTITY (1, 1)", ""},
         "\t\tbp_id \tint NOT NULL IDENTITY (1, 1)"},
        {{"bp_sign", "int", "NOT NULL", ""}, "\t\tbp_sign \tint NOT NULL"},
        {{"pe_code", "char(6)", "NOT NULL", "''"}, "\t\tpe_code \tchar(6) NOT NULL default('')"},
        {{"np_text", "text", "", ""}, "\t\tnp_text \ttext"},
        {{"zd_qperiod", "char(6)", "", "'月  价'"}, "\t\tzd_qperiod \tchar(6) default('月  价')"},
        {{"np_date", "datetime", "", "getdate()"}, "\t\tnp_date \tdatetime default(getdate())"},
    };
    for (const auto& c : cases) EXPECT_EQ(ColumnLine(c.column), c.line) << c.column.name;
}

TEST(TableDeclTest, CreateAndKeyStatementsOfAKeyedTable) {
    const TableDecl notepad{"lib_notepad",
                            {{"np_no", "int", "NOT NULL IDENTITY (1, 1)", ""},
                             {"np_date", "datetime", "", "getdate()"},
                             {"np_text", "text", "", "''"}},
                            "np_no"};
    EXPECT_EQ(CreateTableLines(notepad),
              (SqlLines{"create table lib_notepad ( ", "\t\tnp_no \tint NOT NULL IDENTITY (1, 1),",
                        "\t\tnp_date \tdatetime default(getdate()),",
                        "\t\tnp_text \ttext default('')", ") "}));
    EXPECT_EQ(PrimaryKeyLines(notepad),
              (SqlLines{"ALTER TABLE lib_notepad ADD CONSTRAINT ",
                        "PK_lib_notepad PRIMARY KEY NONCLUSTERED", "(np_no)"}));
}

TEST(TableDeclTest, ATableWithoutKeyHasNoKeyStatement) {
    const TableDecl ledger{"ver_manage", {{"vm_mess", "char(40)", "", "''"}}, ""};
    EXPECT_EQ(CreateTableLines(ledger),
              (SqlLines{"create table ver_manage ( ", "\t\tvm_mess \tchar(40) default('')", ") "}));
    EXPECT_THROW(PrimaryKeyLines(ledger), std::logic_error);
}

}  // namespace
}  // namespace kavel
