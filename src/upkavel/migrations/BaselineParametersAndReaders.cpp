// Baseline step, actions 9 to 15: parameter columns, the yearly price of the periodicals, the
// wider user code with the lib_people rebuild, the ISSN column of the subscriptions, readers and
// loans.

#include "RebuiltTables.h"
#include "TableDecl.h"
#include "UpgradeRunner.h"

namespace kavel {
namespace {

// The lib_people rebuild: the work table holds the old six-byte code, lib_people comes back with
// a nine-byte one. The work table exists only while action 11 runs.
const TableDecl kPeopletmp = PeopleTable("lib_peopletmp", "char(6)", false);
const TableDecl kPeople = PeopleTable("lib_people", "char(9)", true);

// Reader types, keyed by a two-digit number: loan days and number of items.
const TableDecl kDuzhe{
    "lib_duzhe",
    {Column("dz_id", "numeric(2,0)").NotNull(), Column("dz_bdays", "numeric(3,0)").Default("0"),
     Column("dz_booknum", "numeric(2,0)").Default("0")},
    "dz_id"};

const TableDecl kJieshu{
    "lib_jieshu",
    {Column("js_no", "int").Identity(), Column("js_libcard", "char(9)").NotNull(),
     Column("js_mark", "char(2)").Default("' '"), Column("js_barcode", "char(9)").NotNull(),
     Column("js_bdate", "datetime").NotNull().Default("getdate()"),
     Column("js_edate", "datetime").NotNull().Default("getdate()"),
     Column("js_sign", "char(1)").Default("'0'"), Column("js_user", "char(6)").Default("''")},
    "js_no"};

}  // namespace

void TUpgradeRunner::BaselineParametersAndReaders() {
    // 9. Automatic sign-in flag and delivery rate. Only cs_autosign is probed: a table that has
    // cs_toudilv alone fails on the second statement.
    if (!ColumnExists("lib_canshub", "cs_autosign")) {
        RunSql("alter table lib_canshub add cs_autosign char(1) default('0')");
        RunSql("alter table lib_canshub add cs_toudilv numeric(5,2) default(10)");
        RunSql("update lib_canshub set cs_autosign='0',cs_toudilv=10");
    }

    // 10. Yearly price. The order matters: the yearly price is taken from bk_hyprice before
    // that is cleared for the yearly periodicals.
    if (!ColumnExists("lib_baokan", "bk_yprice")) {
        RunSql("alter table lib_baokan add bk_yprice numeric(7,2) default(0.00)");
        RunSql("update lib_baokan set bk_yprice=0");
        RunSql("update lib_baokan set bk_yprice=2*bk_hyprice where bk_period='年'");
        RunSql("update lib_baokan set bk_hyprice=0 where bk_period='年'");
        RunSql("update lib_baokan set bk_number=0");
        RunSql("update lib_baokan set bk_number=1 where bk_cost<>0");
    }

    // 11. Nine-byte user codes, on a database that has no reader table yet (action 14 creates
    // it, so this runs until one run has got that far). lib_people is rebuilt through
    // lib_peopletmp; a lib_peopletmp left by an earlier run stops the step before lib_people
    // is touched.
    if (!TableExists("lib_duzhe")) {
        RunSql("alter table lib_bkzd alter column zd_usercode char(9)");
        RunSql("alter table lib_bkzdls alter column zd_usercode char(9)");
        CreateTable(kPeopletmp);
        RunSql(kPeopleCopyOut);
        RunSql("drop table lib_people");
        CreateTable(kPeople);
        RunSql(kPeopleCopyBack);
        RunSql("drop table lib_peopletmp");
    }

    // 12, 13. ISSN of the subscriptions, each table probed on its own. No update follows: the
    // rows already there hold NULL until actions 18 and 19.
    if (!ColumnExists("lib_bkzd", "zd_issn")) {
        RunSql("alter table lib_bkzd add zd_issn char(13) default('')");
    }
    if (!ColumnExists("lib_bkzdls", "zd_issn")) {
        RunSql("alter table lib_bkzdls add zd_issn char(13) default('')");
    }

    // 14. Reader types.
    CreateTableIfMissing(kDuzhe);

    // 15. Loans.
    CreateTableIfMissing(kJieshu);
}

}  // namespace kavel
