// Baseline step, actions 1 to 8: the entry, print and notes tables. Each is created only when
// missing; a table that exists with another layout is left as it is (only bp_step is ever added).

#include "TableDecl.h"
#include "UpgradeRunner.h"

namespace kavel {
namespace {

const TableDecl kRukutj{
    "lib_rukutj",
    {Column("rk_name", "char(40)").Default("''"), Column("rk_number", "int").Default("0"),
     Column("rk_price", "numeric(15,2)").Default("0"), Column("rk_order", "int").Default("0"),
     Column("rk_usercode", "char(10)").Default("''")},
    ""};

// Five print positions of three fields each: pt_no<position><field>.
const TableDecl kPrtno{
    "lib_prtno",
    {Column("pt_no11", "char(15)").Default("''"), Column("pt_no12", "char(15)").Default("''"),
     Column("pt_no13", "char(15)").Default("''"), Column("pt_no21", "char(15)").Default("''"),
     Column("pt_no22", "char(15)").Default("''"), Column("pt_no23", "char(15)").Default("''"),
     Column("pt_no31", "char(15)").Default("''"), Column("pt_no32", "char(15)").Default("''"),
     Column("pt_no33", "char(15)").Default("''"), Column("pt_no41", "char(15)").Default("''"),
     Column("pt_no42", "char(15)").Default("''"), Column("pt_no43", "char(15)").Default("''"),
     Column("pt_no51", "char(15)").Default("''"), Column("pt_no52", "char(15)").Default("''"),
     Column("pt_no53", "char(15)").Default("''")},
    ""};

const TableDecl kGoodbook{
    "lib_goodbook",
    {Column("gb_barcode", "char(10)").Default("''"), Column("gb_code", "int").Default("0"),
     Column("gb_usercode", "char(10)").Default("''")},
    ""};

// Label layout parameters; sizes and margins in the label printer's units.
const TableDecl kBooknopara{
    "lib_booknopara",
    {Column("bp_id", "int").Identity(), Column("bp_sign", "int").NotNull(),
     Column("bp_width", "int").NotNull(), Column("bp_height", "int").NotNull(),
     Column("bp_top", "int").NotNull(), Column("bp_bottom", "int").NotNull(),
     Column("bp_left", "int").NotNull(), Column("bp_right", "int").NotNull(),
     Column("bp_lines", "int").NotNull(), Column("bp_rows", "int").NotNull(),
     Column("bp_2or3", "int").NotNull(), Column("bp_step", "int").NotNull()},
    "bp_id"};

const TableDecl kNotepad{
    "lib_notepad",
    {Column("np_no", "int").Identity(), Column("np_date", "datetime").Default("getdate()"),
     Column("np_text", "text").Default("''"), Column("np_operator", "char(6)").Default("''"),
     Column("np_oprname", "char(20)").Default("''")},
    "np_no"};

const TableDecl kPrtblank{
    "lib_prtblank",
    {Column("pb_no", "int").Identity(), Column("pb_default", "int").Default("0"),
     Column("pb_top", "int").Default("0"), Column("pb_bottom", "int").Default("0"),
     Column("pb_left", "int").Default("0"), Column("pb_right", "int").Default("0")},
    "pb_no"};

const TableDecl kCuihuan{
    "lib_cuihuan",
    {Column("ch_libcard", "char(9)").Default("''"), Column("ch_name", "char(8)").Default("''"),
     Column("ch_deptment", "char(40)").Default("''")},
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
        RunSql({"insert into lib_booknopara( ", "         bp_sign,bp_width,bp_height,",
                "         bp_top,bp_bottom,bp_left,", "         bp_right,bp_lines,bp_rows,",
                "         bp_2or3,bp_step) values(", "0,130,265,17,4,3,3,8,3,3,0)"});
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
