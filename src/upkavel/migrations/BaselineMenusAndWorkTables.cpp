// Baseline step, actions 23 to 36: the menu function rows, the work tables, the entry records,
// and last the regeneration of the arrival schedules.

#include "TableDecl.h"
#include "UpgradeRunner.h"

namespace kavel {
namespace {

// Work table with the column names of the subscription tables lib_bkzd and lib_bkzdls.
const TableDecl kBkzdtmp{"lib_bkzdtmp",
                         {Column("zd_no", "int").Identity(),
                          Column("zd_code", "char(10)").NotNull(),
                          Column("zd_recsign", "char(1)").Default("''"),
                          Column("zd_mark", "char(2)").Default("''"),
                          Column("zd_name", "char(40)").Default("''"),
                          Column("zd_sign", "char(4)").Default("'报纸'"),
                          Column("zd_period", "char(4)").Default("''"),
                          Column("zd_price", "numeric(6,2)").Default("0.00"),
                          Column("zd_cost", "numeric(6,2)").Default("0.00"),
                          Column("zd_qprice", "numeric(6,2)").Default("0.00"),
                          Column("zd_qperiod", "char(6)").Default("'月  价'"),
                          Column("zd_remark", "text").Default("''"),
                          Column("zd_usercode", "char(9)").Default("''"),
                          Column("zd_username", "char(40)").Default("''"),
                          Column("zd_date", "datetime").Default("getdate()"),
                          Column("zd_bdate", "datetime").Default("getdate()"),
                          Column("zd_edate", "datetime").Default("getdate()"),
                          Column("zd_number", "numeric(4,0)").Default("0"),
                          Column("zd_amount", "numeric(9,2)").Default("0"),
                          Column("zd_notice", "text").Default("''"),
                          Column("zd_order", "char(10)").NotNull()},
                         "zd_no"};

// One-row flag table.
const TableDecl kTmpsign{"lib_tmpsign", {Column("ts_sign", "int").Default("0")}, ""};

const TableDecl kQstmp{
    "lib_qstmp",
    {Column("qt_code", "char(10)").NotNull(), Column("qt_mark", "char(2)").Default("''"),
     Column("qt_name", "char(40)").Default("''"), Column("qt_order", "char(10)").Default("''"),
     Column("qt_month", "int").Default("0"), Column("qt_ydnum", "int").Default("0"),
     Column("qt_sdnum", "int").Default("0"), Column("qt_user", "char(6)").Default("''")},
    ""};

// Reading-room entry records.
const TableDecl kEnterpeople{
    "lib_enterpeople",
    {Column("ep_no", "int").Identity(), Column("ep_people", "char(9)").NotNull(),
     Column("ep_name", "char(8)").Default("''"), Column("ep_dzlx", "char(20)").Default("''"),
     Column("ep_deptment", "char(40)").Default("''"),
     Column("ep_bdate", "datetime").Default("getdate()"),
     Column("ep_edate", "datetime").Default("getdate()")},
    "ep_no"};

// Companion of the entry records, created only together with lib_enterpeople.
const TableDecl kEnterpeoplep{
    "lib_enterpeoplep",
    {Column("ep_name", "char(40)").Default("''"), Column("ep_pnumber", "int").NotNull(),
     Column("ep_enumber", "int").NotNull(), Column("ep_bilv", "int").NotNull(),
     Column("ep_user", "char(6)").Default("''")},
    ""};

}  // namespace

void TUpgradeRunner::BaselineMenusAndWorkTables() {
    // 23. No guard: the codes rewritten below go first, however many rows they had.
    RunSql(
        "delete from lib_gongneng where (gn_menucode>=2501 and gn_menucode<=2503) or "
        "gn_menucode=2104");

    // 24 to 31. No guard, each protected: a refused statement (a code already there under a
    // unique key) leaves the table as it was and the next one runs. 2109 and 2601 are not
    // deleted first, so on a table without a key on the code they are inserted only when the
    // probe finds no row; the probe shares the insert's protection.
    RunSqlProtected("update lib_gongneng set gn_menuitem='到刊记事签收' where gn_menucode=2102");
    InsertMenuRowUnlessPresent("select gn_menucode from lib_gongneng where gn_menucode=2109",
                               "INSERT INTO lib_gongneng VALUES(2109,'到刊记事查询')");
    RunSqlProtected("INSERT INTO lib_gongneng VALUES(2501,'现刊借还')");
    RunSqlProtected("INSERT INTO lib_gongneng VALUES(2502,'现刊出入库管理')");
    RunSqlProtected("INSERT INTO lib_gongneng VALUES(2503,'删除已注销现刊')");
    RunSqlProtected("INSERT INTO lib_gongneng VALUES(2104,'预订库转换')");
    InsertMenuRowUnlessPresent("select gn_menucode from lib_gongneng where gn_menucode=2601",
                               "INSERT INTO lib_gongneng VALUES(2601,'阅览室管理')");
    RunSqlProtected(
        "update lib_gongneng set gn_menuitem='删除已停止流通的期刊' where gn_menucode=2503");

    // 32. Subscription work table.
    CreateTableIfMissing(kBkzdtmp);

    // 33. Flag table with its one row.
    if (CreateTableIfMissing(kTmpsign)) {
        RunSql("insert into lib_tmpsign values(0) ");
    }

    // 34. Arrival work table.
    CreateTableIfMissing(kQstmp);

    // 35. Entry records and their companion. A companion left without lib_enterpeople makes
    // the third create fail, which ends the step.
    if (CreateTableIfMissing(kEnterpeople)) {
        CreateTable(kEnterpeoplep);
    }

    // 36. No guard: the expected-arrival schedules of every subscribed periodical.
    DoQianDao();
}

}  // namespace kavel
