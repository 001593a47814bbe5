// Baseline step, actions 16 to 22: the ISSN code import, the catalogue table with its ISSN, CN
// and call-number columns, the copy of the codes into catalogue and subscriptions, and the
// barcode table.

#include "DoubleQuotes.h"
#include "TableDecl.h"
#include "UpgradeRunner.h"

namespace kavel {
namespace {

// Catalogue records, one row per periodical item. Actions 18 and 20 add six more columns.
const TableDecl kBianma{
    "lib_bianma",
    {Column("bm_no", "int").Identity(), Column("bm_code", "char(10)").NotNull(),
     Column("bm_year", "numeric(4,0)").Default("0"),
     Column("bm_month", "numeric(4,0)").Default("0"), Column("bm_order", "char(10)").NotNull(),
     Column("bm_name", "char(40)").Default("''"), Column("bm_number", "numeric(4,0)").Default("0"),
     Column("bm_pages", "numeric(4,0)").Default("0"), Column("bm_type", "char(2)").Default("''"),
     Column("bm_mark", "char(2)").Default("''"), Column("bm_degree", "char(4)").Default("''"),
     Column("bm_publish", "char(12)").Default("''"), Column("bm_period", "char(4)").Default("''"),
     Column("bm_pdate", "char(10)").Default("''"),
     Column("bm_price", "numeric(5,2)").Default("0.00"),
     Column("bm_scope", "char(4)").Default("''"), Column("bm_user", "char(6)").Default("'system'"),
     Column("bm_logdate", "datetime").Default("getdate()"),
     Column("bm_remark", "varchar(256)").Default("''")},
    "bm_no"};

// Barcodes. Action 22 adds tm_enddate.
const TableDecl kTiaoma{
    "lib_tiaoma",
    {Column("tm_barcode", "char(9)").NotNull(), Column("tm_mark", "char(1)").Default("'0'"),
     Column("tm_no", "int").NotNull(), Column("tm_logdate", "datetime").Default("getdate()")},
    "tm_barcode"};

}  // namespace

void TUpgradeRunner::BaselineCatalogueAndIssn() {
    // 16. No guard: the ISSN code table, created when missing and filled from issn.dat.
    DoCodeIssnWork();

    // 17. Catalogue records.
    CreateTableIfMissing(kBianma);

    // 18. ISSN, CN, second-name and index columns of the catalogue. newColumns tells action 19
    // whether they came in this run: only then are catalogue and history subscriptions filled.
    const bool newColumns = !ColumnExists("lib_bianma", "bm_issn");
    if (newColumns) {
        RunSql("alter table lib_bianma add bm_nowsign char(1) default('0')");
        RunSql("alter table lib_bianma add bm_issn char(13) default('')");
        RunSql("alter table lib_bianma add bm_cnno char(12) default('')");
        RunSql("alter table lib_bianma add bm_namesec char(40) default('')");
        RunSql("alter table lib_bianma add bm_index text default('')");
        RunSql({"update lib_bkzd set", "zd_issn='' "});
        RunSql({"update lib_bkzdls set", "zd_issn='' "});
        RunSql({"update lib_bianma set", "bm_nowsign='0',", "bm_issn='',", "bm_cnno='',",
                "bm_namesec='',", "bm_index='' "});
    }

    // 19. No guard: copy each code's ISSN (and CN) from lib_issncode. qrTmp holds the code rows
    // open for the whole walk, so the updates run on qrTmp1. The bar (shown by action 16) moves
    // once per row and wraps from its maximum back to 1.
    Walk(qrTmp, {"select * from lib_issncode "}, [this, newColumns] {
        PumpMessages();
        const std::string issn = TrimmedField(qrTmp, "ic_issn");
        const std::string cnno = TrimmedField(qrTmp, "ic_cnno");
        const std::string code = TrimmedField(qrTmp, "ic_code");
        if (newColumns) {
            RunSql(qrTmp1, {"update lib_bianma set", "bm_issn=" + Quoted(issn) + ",",
                            "bm_cnno=" + Quoted(cnno) + " ", "where bm_code=" + Quoted(code)});
        }
        RunSql(qrTmp1, {"update lib_bkzd set", "zd_issn=" + Quoted(issn) + " ",
                        "where zd_code=" + Quoted(code)});
        if (newColumns) {
            RunSql(qrTmp1, {"update lib_bkzdls set", "zd_issn=" + Quoted(issn) + " ",
                            "where zd_code=" + Quoted(code)});
        }
        AdvanceBar();
    });

    // 20. Call number.
    if (!ColumnExists("lib_bianma", "bm_bookno")) {
        RunSql("alter table lib_bianma add bm_bookno char(22) default('')");
        RunSql({"update lib_bianma set", "bm_bookno='' "});
    }

    // 21. Barcodes.
    CreateTableIfMissing(kTiaoma);

    // 22. End date of a barcode, taken from its log date.
    if (!ColumnExists("lib_tiaoma", "tm_enddate")) {
        RunSql("alter table lib_tiaoma add tm_enddate datetime default(getdate())");
        RunSql({"update lib_tiaoma set", "tm_enddate=tm_logdate "});
    }
}

}  // namespace kavel
