// Step 2007-12-03: item barcodes grow to 12 characters, and the table of label fonts appears.
// The font table is guarded by its table probe alone; the barcode part runs once, under the
// marker "ZZ20071203.BOOKBAR_LEN_12", and shows its progress on pgbBar.

#include "RebuiltTables.h"
#include "TableDecl.h"
#include "UpgradeRunner.h"

namespace kavel {
namespace {

// Three font slots of the label printer, each a name, a size and a bold flag.
const TableDecl kLabelFonts{
    "lib_biaoqianfont",
    {Column("bq_sign", "int").Default("0"), Column("bq_font1", "char(32)").Default("'Arial'"),
     Column("bq_size1", "int").Default("14"), Column("bq_bold1", "int").Default("1"),
     Column("bq_font2", "char(32)").Default("'宋体'"), Column("bq_size2", "int").Default("14"),
     Column("bq_bold2", "int").Default("1"), Column("bq_font3", "char(32)").Default("'宋体'"),
     Column("bq_size3", "int").Default("14"), Column("bq_bold3", "int").Default("1")},
    ""};

// The work copy keeps the old width; the new register has the wide one.
const TableDecl kBarcodesTmp = BarcodeTable("lib_tiaoma_tmp", "9");
const TableDecl kBarcodes = BarcodeTable("lib_tiaoma", "12");

}  // namespace

void TUpgradeRunner::Do2007_12_03() {
    // Label fonts: created and seeded with one row of defaults wherever the table is missing.
    if (CreateTableIfMissing(kLabelFonts))
        RunSql("insert into lib_biaoqianfont(bq_sign) values(0)");

    // Recorded before any barcode table changes: a failure below is not retried by a later run.
    if (!CheckVerSign("ZZ20071203.BOOKBAR_LEN_12")) return;
    ShowBar();
    SetBar(5);

    // The barcodes move into a work copy. The copies name the five columns, so any further
    // column of lib_tiaoma is left behind with the old table.
    CreateTable(kBarcodesTmp);
    RunSql(BarcodeCopyOut());
    SetBar(25);

    // lib_tiaoma is created anew with the wide barcode; key and index are in place before the
    // rows return, so every row must satisfy the key.
    RunSql("drop table lib_tiaoma");
    CreateTable(kBarcodes);
    RunSql(kBarcodeKey);
    RunSql(kBarcodeIndex);

    // The rows come back; the work copy goes.
    RunSql(BarcodeCopyBack());
    SetBar(45);
    RunSql("drop table lib_tiaoma_tmp");
    SetBar(55);

    // The loan barcode grows and gets an index; the column is widened before the index exists,
    // since a char column that an index uses cannot change.
    RunSql("alter table lib_jieshu ALTER COLUMN js_barcode char(12)");
    RunSql(
        "create index PK_lib_jieshu_barcode on lib_jieshu(js_barcode) WITH "
        "PAD_INDEX,FILLFACTOR=85");
    SetBar(90);

    RunSql("alter table lib_goodbook ALTER COLUMN gb_barcode char(12)");
    HideBar();
}

}  // namespace kavel
