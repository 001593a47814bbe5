// Actions 11-19 of step 2005-03: menu rows of the main program's lib_gongneng, the terminal,
// fines and lending-order tables, and the lending settings that come with fines.
//
// lib_gongneng belongs to the main program and may or may not have a unique key on gn_menucode.
// So that a database without one does not gain another 391 and 399 row on every run, those two
// inserts look for their row first; probe and insert share one error trap, so a missing
// lib_gongneng (or any other refusal) is discarded and the step goes on.

#include "TableDecl.h"
#include "UpgradeRunner.h"

namespace kavel {
namespace {

const TableDecl kCurTermNo{
    "lib_curtermno",
    {Column("ct_termno", "char(8)").NotNull(), Column("ct_date", "char(10)").NotNull()},
    ""};

const TableDecl kFaKuan{
    "lib_fakuan",
    {Column("fk_no", "int").Identity(), Column("fk_id", "char(9)").NotNull(),
     Column("fk_date", "datetime").Default("getdate()"),
     Column("fk_amount", "numeric(6,2)").Default("0"), Column("fk_why", "char(80)").Default("''"),
     Column("fk_operator", "char(6)").Default("''"), Column("fk_name", "char(8)").Default("''"),
     Column("fk_deptment", "char(40)").Default("''"), Column("fk_type", "int").Default("0"),
     Column("fk_optname", "char(20)").Default("''")},
    "fk_no"};

const TableDecl kJieYueOrder{
    "lib_jieyueorder",
    {Column("jy_code", "char(10)").NotNull(), Column("jy_name", "char(40)").Default("''"),
     Column("jy_issn", "char(13)").Default("''"),
     Column("jy_price", "numeric(5,2)").Default("0.00"), Column("jy_number", "int").Default("0"),
     Column("jy_user", "char(6)").Default("''")},
    ""};

}  // namespace

void TUpgradeRunner::MenusFinesAndLending2005_03() {
    // 11. Volunteer management.
    InsertMenuRowUnlessPresent("select gn_menucode from lib_gongneng where gn_menucode=391",
                               "INSERT INTO lib_gongneng VALUES(391,'义工管理')");

    // 12. Reading-room management.
    InsertMenuRowUnlessPresent("select gn_menucode from lib_gongneng where gn_menucode=399",
                               "INSERT INTO lib_gongneng VALUES(399,'阅览室管理')");

    // 13. Volunteer sign-in (the probe is not protected, the insert is).
    if (!RowExists("select gn_menucode from lib_gongneng where gn_menucode=392"))
        RunSqlProtected("INSERT INTO lib_gongneng VALUES(392,'义工签到')");

    // 14. Query of notes on arrived issues.
    if (!RowExists("select * from lib_gongneng where gn_menucode=2109"))
        RunSql("INSERT INTO lib_gongneng VALUES(2109,'到刊记事查询')");

    // 15. The current terminal, one row of empty texts.
    if (CreateTableIfMissing(kCurTermNo)) RunSql("insert into lib_curtermno values('','') ");

    // 16. Fines. Loan periods become 30 days, once: only in the run that creates the table.
    if (CreateTableIfMissing(kFaKuan)) {
        RunSql("update lib_duzhe set dz_bdays=30");
        RunSql("update lib_jieshu set js_edate=js_bdate+30 where js_mark='借'");
    }

    // 17. Fine per reader: 0.1 for the readers already there, 0 by default for new ones.
    if (!ColumnExists("lib_duzhe", "dz_fakuan")) {
        RunSql("alter table lib_duzhe add dz_fakuan numeric(6,2) default(0)");
        RunSql("update lib_duzhe set dz_fakuan=0.1");
    }

    // 18. Settings of the all-in-one card.
    if (!RowExists("select gn_menucode from lib_gongneng where gn_menucode=901"))
        RunSqlProtected("INSERT INTO lib_gongneng VALUES(901,'一卡通参数配置')");

    // 19. Lending order.
    CreateTableIfMissing(kJieYueOrder);
}

}  // namespace kavel
