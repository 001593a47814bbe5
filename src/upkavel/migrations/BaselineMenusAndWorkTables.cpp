// Baseline step, actions 23 to 36: the menu function rows, the work tables, the entry records,
// and last the regeneration of the arrival schedules.

#include "TableDecl.h"
#include "UpgradeRunner.h"

namespace kavel {
namespace {

// Work table with the column names of the subscription tables lib_bkzd and lib_bkzdls.
const TableDecl kBkzdtmp{"lib_bkzdtmp",
                         {{"zd_no", "int", "NOT NULL IDENTITY (1, 1)", ""},
                          {"zd_code", "char(10)", "NOT NULL", ""},
                          {"zd_recsign", "char(1)", "", "''"},
                          {"zd_mark", "char(2)", "", "''"},
                          {"zd_name", "char(40)", "", "''"},
                          {"zd_sign", "char(4)", "", "'报纸'"},
                          {"zd_period", "char(4)", "", "''"},
                          {"zd_price", "numeric(6,2)", "", "0.00"},
                          {"zd_cost", "numeric(6,2)", "", "0.00"},
                          {"zd_qprice", "numeric(6,2)", "", "0.00"},
                          {"zd_qperiod", "char(6)", "", "'月  价'"},
                          {"zd_remark", "text", "", "''"},
                          {"zd_usercode", "char(9)", "", "''"},
                          {"zd_username", "char(40)", "", "''"},
                          {"zd_date", "datetime", "", "getdate()"},
                          {"zd_bdate", "datetime", "", "getdate()"},
                          {"zd_edate", "datetime", "", "getdate()"},
                          {"zd_number", "numeric(4,0)", "", "0"},
                          {"zd_amount", "numeric(9,2)", "", "0"},
                          {"zd_notice", "text", "", "''"},
                          {"zd_order", "char(10)", "NOT NULL", ""}},
                         "zd_no"};

// One-row flag table.
const TableDecl kTmpsign{"lib_tmpsign", {{"ts_sign", "int", "", "0"}}, ""};

const TableDecl kQstmp{"lib_qstmp",
                       {{"qt_code", "char(10)", "NOT NULL", ""},
                        {"qt_mark", "char(2)", "", "''"},
                        {"qt_name", "char(40)", "", "''"},
                        {"qt_order", "char(10)", "", "''"},
                        {"qt_month", "int", "", "0"},
                        {"qt_ydnum", "int", "", "0"},
                        {"qt_sdnum", "int", "", "0"},
                        {"qt_user", "char(6)", "", "''"}},
                       ""};

// Reading-room entry records.
const TableDecl kEnterpeople{"lib_enterpeople",
                             {{"ep_no", "int", "NOT NULL IDENTITY (1, 1)", ""},
                              {"ep_people", "char(9)", "NOT NULL", ""},
                              {"ep_name", "char(8)", "", "''"},
                              {"ep_dzlx", "char(20)", "", "''"},
                              {"ep_deptment", "char(40)", "", "''"},
                              {"ep_bdate", "datetime", "", "getdate()"},
                              {"ep_edate", "datetime", "", "getdate()"}},
                             "ep_no"};

// Companion of the entry records, created only together with lib_enterpeople.
const TableDecl kEnterpeoplep{"lib_enterpeoplep",
                              {{"ep_name", "char(40)", "", "''"},
                               {"ep_pnumber", "int", "NOT NULL", ""},
                               {"ep_enumber", "int", "NOT NULL", ""},
                               {"ep_bilv", "int", "NOT NULL", ""},
                               {"ep_user", "char(6)", "", "''"}},
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
