// Step 2010-12-30: reading rooms. A table of room names with one default room, and a room
// number on every entry record. The marker "ZZ20101230.YUELANSHI" guards the whole step; inside
// it nothing is probed, so a lib_YlsName that already exists stops the step at its create.

#include "TableDecl.h"
#include "UpgradeRunner.h"

namespace kavel {
namespace {

const TableDecl kReadingRooms{"lib_YlsName",
                              {Column("yn_id", "int").NotNull().Default("0"),
                               Column("yn_name", "char(40)").Default("'默认阅览室'")},
                              "yn_id"};

}  // namespace

void TUpgradeRunner::Do2010_12_30() {
    // Recorded before any change: a failure below is not retried by a later run.
    if (!CheckVerSign("ZZ20101230.YUELANSHI")) return;

    // The room table, its key, and room 0, the default room.
    CreateTable(kReadingRooms);
    RunSql("insert into lib_YlsName(yn_id,yn_name) values(0,'默认阅览室')");

    // Every entry record so far belongs to room 0, and so does a new one that names no room.
    RunSql("alter table lib_enterpeople add ep_room int DEFAULT(0)");
    RunSql("update lib_enterpeople set ep_room=0");
}

}  // namespace kavel
