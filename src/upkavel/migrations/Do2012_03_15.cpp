// Step 2012-03-15: reader type and department on lib_enterpeoplep, a sign state on the entry
// records, and a shelf number on the subscriptions. The first two are guarded by their column
// probes alone; the shelf number by the marker "ZZ20120315.BKZD" and then by its probe in
// lib_bkzd.

#include "UpgradeRunner.h"

namespace kavel {

void TUpgradeRunner::Do2012_03_15() {
    // Reader type and department come together; no update follows, so the rows already there
    // hold NULL in both.
    if (!ColumnExists("lib_enterpeoplep", "ep_dzlx")) {
        RunSql("alter table lib_enterpeoplep add ep_dzlx char(20) default('')");
        RunSql("alter table lib_enterpeoplep add ep_deptment char(40) default('')");
    }

    // Entries recorded so far count as signed out; a new one is signed in by default.
    if (!ColumnExists("lib_enterpeople", "ep_sign")) {
        RunSql("alter table lib_enterpeople add ep_sign char(4) DEFAULT('签到')");
        RunSql("update lib_enterpeople set ep_sign='签退'");
    }

    // Shelf number: recorded before the work, and probed in lib_bkzd only; lib_bkzdtmp gets its
    // column together with lib_bkzd or not at all.
    if (!CheckVerSign("ZZ20120315.BKZD")) return;
    if (ColumnExists("lib_bkzd", "zd_shanjiahao")) return;
    RunSql("alter table lib_bkzd add zd_shanjiahao char(12) DEFAULT('')");
    RunSql("update lib_bkzd set zd_shanjiahao=''");
    RunSql("alter table lib_bkzdtmp add zd_shanjiahao char(12) DEFAULT('')");
    RunSql("update lib_bkzdtmp set zd_shanjiahao=''");
}

}  // namespace kavel
