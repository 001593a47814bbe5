// Step 2007-11-03: the month of a catalogue record becomes text of 12 characters, the old number
// kept in bm_monthnum; and lib_baokan gains bk_order, filled from bk_code. The month part runs
// once, under the marker "ZZ20071103.CHGBMMONTH"; bk_order is guarded by its column probe alone.

#include "TableDecl.h"
#include "UpgradeRunner.h"

namespace kavel {
namespace {

// One row per default constraint bound to lib_bianma.bm_month: their names are the server's.
const TableDecl kDefaultNames{"tmp_tmp_bm", {Column("pe_name", "char(250)").Default("''")}, ""};

}  // namespace

void TUpgradeRunner::Do2007_11_03() {
    // Recorded before the conversion: a failure inside it is not retried by a later run.
    if (CheckVerSign("ZZ20071103.CHGBMMONTH")) {
        // The number is kept in a column of its own.
        RunSql("alter table lib_bianma add bm_monthnum int DEFAULT(0)");
        RunSql("update lib_bianma set bm_monthnum=bm_month");

        // The default of bm_month was declared without a name, so the server generated one; it
        // must go before the column can be dropped. Its name is found through syscolumns.cdefault.
        CreateTable(kDefaultNames);
        RunSql({
            "insert into tmp_tmp_bm(pe_name)",
            "select name from sysobjects",
            "where parent_obj in(select id from sysobjects where name='lib_bianma')",
            "  and id in(select cdefault from syscolumns where name='bm_month' and id in "
            "(select id from sysobjects where name='lib_bianma'))",
        });

        // Each name is dropped on the second query while the first holds the walk open. The
        // name is the server's own identifier; the padding of the char(250) column is cut.
        Walk(qrTmp, ("select * from tmp_tmp_bm"), [this] {
            RunSql(qrTmp1,
                   "ALTER TABLE lib_bianma DROP CONSTRAINT " + TrimmedField(qrTmp, "pe_name"));
        });

        // The month passes as text through bm_month1 while bm_month is re-created as char(12);
        // the new bm_month becomes the last column of the table.
        RunSql("alter table lib_bianma add bm_month1 char(12)");
        RunSql("update lib_bianma set bm_month1=CONVERT(char(12),bm_month)");
        RunSql("alter table lib_bianma drop COLUMN bm_month");
        RunSql("alter table lib_bianma add bm_month char(12) default('')");
        RunSql("update lib_bianma set bm_month=bm_month1");
        RunSql("alter table lib_bianma drop COLUMN bm_month1");
        RunSql("drop table tmp_tmp_bm");
    }

    // bk_order: added and filled from bk_code whenever it is missing, whatever the ledger says.
    if (!ColumnExists("lib_baokan", "bk_order")) {
        RunSql("alter table lib_baokan add bk_order char(10) DEFAULT('')");
        RunSql("update lib_baokan set bk_order=bk_code");
    }
}

}  // namespace kavel
