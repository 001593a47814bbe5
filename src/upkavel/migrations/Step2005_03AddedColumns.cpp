// Actions 1-7 of step 2005-03: the baseline step when the catalogue table is missing, then the
// columns added to seven existing tables. Each action probes its first column only; the columns
// added with it share its fate, so an action that failed half-way is not resumed by a later run.
// Rows already there get the UPDATE's values (empty text, 0) rather than NULL.

#include "UpgradeRunner.h"

namespace kavel {

void TUpgradeRunner::AddedColumns2005_03() {
    // 1. A database from before the baseline (no lib_bianma) is brought up to it first. After a
    //    run of the baseline from the driver the table is there and nothing runs here.
    if (!TableExists("lib_bianma")) Do2005Before();

    // 2. Link of a catalogue record.
    if (!ColumnExists("lib_bianma", "bm_link")) {
        RunSql("alter table lib_bianma add bm_link char(128) DEFAULT('')");
        RunSql("update lib_bianma set bm_link=''");
    }

    // 3. Home page and classification of an ISSN code (ic_fenlei rides on ic_phttp's probe).
    if (!ColumnExists("lib_issncode", "ic_phttp")) {
        RunSql("alter table lib_issncode add ic_phttp char(128) DEFAULT('')");
        RunSql("alter table lib_issncode add ic_fenlei char(20) DEFAULT('')");
        RunSql("update lib_issncode set ic_phttp='',ic_fenlei=''");
    }

    // 4-6. In-library flag and other address of this year's subscriptions, their history and
    // their work table, each table probed on its own.
    for (const char* table : {"lib_bkzd", "lib_bkzdls", "lib_bkzdtmp"}) {
        if (ColumnExists(table, "zd_inlib")) continue;
        RunSql(std::string("alter table ") + table + " add zd_inlib int DEFAULT(0)");
        RunSql(std::string("alter table ") + table + " add zd_otheraddr char(128) DEFAULT('')");
        RunSql(std::string("update ") + table + " set zd_inlib=0,zd_otheraddr=''");
    }

    // 7. In-library parameter.
    if (!ColumnExists("lib_canshub", "cs_inlibsign")) {
        RunSql("alter table lib_canshub add cs_inlibsign int DEFAULT(0)");
        RunSql("update lib_canshub set cs_inlibsign=0");
    }
}

}  // namespace kavel
