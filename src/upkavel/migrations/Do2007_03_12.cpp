// Step 2007-03-12: person codes grow to 12 characters and person names to 20, in every table
// that holds them, and lib_people is rebuilt around a 12-character key. The marker
// "PEOPLE_LEN_12" guards the whole step; inside it nothing is probed.

#include "RebuiltTables.h"
#include "TableDecl.h"
#include "UpgradeRunner.h"

namespace kavel {
namespace {

// The work copy and the new lib_people share one layout, the code 12 bytes wide.
const TableDecl kPeopleTmp = PeopleTable("lib_peopletmp", "char(12)", false);
const TableDecl kPeople = PeopleTable("lib_people", "char(12)", true);

}  // namespace

void TUpgradeRunner::Do2007_03_12() {
    // Recorded before any table changes: a failure below is not retried by a later run.
    if (!CheckVerSign("PEOPLE_LEN_12")) return;

    // Codes to 12, names to 20. The statements name only the type, so each column becomes
    // nullable, as ALTER COLUMN always makes it.
    RunSql("alter table lib_bkzd ALTER COLUMN zd_usercode char(12)");
    RunSql("alter table lib_bkzdtmp ALTER COLUMN zd_usercode char(12)");
    RunSql("alter table lib_bkzdls ALTER COLUMN zd_usercode char(12)");
    RunSql("alter table lib_cuihuan ALTER COLUMN ch_libcard char(12)");
    RunSql("alter table lib_cuihuan ALTER COLUMN ch_name char(20)");
    RunSql("alter table lib_jieshu ALTER COLUMN js_libcard char(12)");
    RunSql("alter table lib_fakuan ALTER COLUMN fk_id char(12)");
    RunSql("alter table lib_fakuan ALTER COLUMN fk_name char(20)");
    RunSql("alter table lib_enterpeople ALTER COLUMN ep_people char(12)");
    RunSql("alter table lib_enterpeople ALTER COLUMN ep_name char(20)");

    // The people move into a work copy with the wide code.
    CreateTable(kPeopleTmp);
    RunSql(kPeopleCopyOut);

    // lib_people is created anew with the wide code, its key in place before the rows return.
    RunSql("drop table lib_people");
    CreateTable(kPeople);

    // The rows come back; the work copy goes.
    RunSql(kPeopleCopyBack);
    RunSql("drop table lib_peopletmp");
}

}  // namespace kavel
