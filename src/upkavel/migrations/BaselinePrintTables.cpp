// Baseline step, actions 1 to 8: the entry, print and notes tables. Each is created only when
// missing; a table that exists with another layout is left as it is (only bp_step is ever added).

#include "TableDecl.h"
#include "UpgradeRunner.h"

namespace kavel {
namespace {

const TableDecl kRukutj{"lib_rukutj",
                        {{"rk_name", "char(40)", "", "''"},
                         {"rk_number", "int", "", "0"},
                         {"rk_price", "numeric(15,2)", "", "0"},
                         {"rk_order", "int", "", "0"},
                         {"rk_usercode", "char(10)", "", "''"}},
                        ""};

// Five print positions of three fields each: pt_no<position><field>.
const TableDecl kPrtno{"lib_prtno",
                       {{"pt_no11", "char(15)", "", "''"},
                        {"pt_no12", "char(15)", "", "''"},
                        {"pt_no13", "char(15)", "", "''"},
                        {"pt_no21", "char(15)", "", "''"},
                        {"pt_no22", "char(15)", "", "''"},
                        {"pt_no23", "char(15)", "", "''"},
                        {"pt_no31", "char(15)", "", "''"},
                        {"pt_no32", "char(15)", "", "''"},
                        {"pt_no33", "char(15)", "", "''"},
                        {"pt_no41", "char(15)", "", "''"},
                        {"pt_no42", "char(15)", "", "''"},
                        {"pt_no43", "char(15)", "", "''"},
                        {"pt_no51", "char(15)", "", "''"},
                        {"pt_no52", "char(15)", "", "''"},
                        {"pt_no53", "char(15)", "", "''"}},
                       ""};

const TableDecl kGoodbook{"lib_goodbook",
                          {{"gb_barcode", "char(10)", "", "''"},
                           {"gb_code", "int", "", "0"},
                           {"gb_usercode", "char(10)", "", "''"}},
                          ""};

// Label layout parameters; sizes and margins in the label printer's units.
const TableDecl kBooknopara{"lib_booknopara",
                            {{"bp_id", "int", "NOT NULL IDENTITY (1, 1)", ""},
                             {"bp_sign", "int", "NOT NULL", ""},
                             {"bp_width", "int", "NOT NULL", ""},
                             {"bp_height", "int", "NOT NULL", ""},
                             {"bp_top", "int", "NOT NULL", ""},
                             {"bp_bottom", "int", "NOT NULL", ""},
                             {"bp_left", "int", "NOT NULL", ""},
                             {"bp_right", "int", "NOT NULL", ""},
                             {"bp_lines", "int", "NOT NULL", ""},
                             {"bp_rows", "int", "NOT NULL", ""},
                             {"bp_2or3", "int", "NOT NULL", ""},
                             {"bp_step", "int", "NOT NULL", ""}},
                            "bp_id"};

const TableDecl kNotepad{"lib_notepad",
                         {{"np_no", "int", "NOT NULL IDENTITY (1, 1)", ""},
                          {"np_date", "datetime", "", "getdate()"},
                          {"np_text", "text", "", "''"},
                          {"np_operator", "char(6)", "", "''"},
                          {"np_oprname", "char(20)", "", "''"}},
                         "np_no"};

const TableDecl kPrtblank{"lib_prtblank",
                          {{"pb_no", "int", "NOT NULL IDENTITY (1, 1)", ""},
                           {"pb_default", "int", "", "0"},
                           {"pb_top", "int", "", "0"},
                           {"pb_bottom", "int", "", "0"},
                           {"pb_left", "int", "", "0"},
                           {"pb_right", "int", "", "0"}},
                          "pb_no"};

const TableDecl kCuihuan{"lib_cuihuan",
                         {{"ch_libcard", "char(9)", "", "''"},
                          {"ch_name", "char(8)", "", "''"},
                          {"ch_deptment", "char(40)", "", "''"}},
                         ""};

}  // namespace

void TUpgradeRunner::BaselinePrintTables() {
    // 1. Stock-entry statistics.
    CreateTableIfMissing(kRukutj);

    // 2. Print numbering layout.
    CreateTableIfMissing(kPrtno);

    // 3. Recommended items.
    CreateTableIfMissing(kGoodbook);

    // 4. Label layout, with its one default row.
    if (CreateTableIfMissing(kBooknopara)) {
        RunSql({"insert into lib_booknopara( ",
                     "         bp_sign,bp_width,bp_height,",
                     "         bp_top,bp_bottom,bp_left,",
                     "         bp_right,bp_lines,bp_rows,",
                     "         bp_2or3,bp_step) values(",
                     "0,130,265,17,4,3,3,8,3,3,0)"});
    }

    // 5. bp_step for a label table from before that column (a table just created has it).
    if (!ColumnExists("lib_booknopara", "bp_step")) {
        RunSql("alter table lib_booknopara add bp_step int NOT NULL DEFAULT(0)");
        RunSql("update lib_booknopara set bp_step=0");
    }

    // 6. Notes.
    CreateTableIfMissing(kNotepad);

    // 7. Print margins, with their one default row.
    if (CreateTableIfMissing(kPrtblank)) {
        RunSql({"insert into lib_prtblank( ",
                     "     pb_default,pb_top,pb_bottom,pb_left,pb_right) values(",
                     "     0,10,10,10,10)"});
    }

    // 8. Overdue reminders.
    CreateTableIfMissing(kCuihuan);
}

}  // namespace kavel
