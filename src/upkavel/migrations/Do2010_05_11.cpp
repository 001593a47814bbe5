// Step 2010-05-11: the publisher of a catalogue record grows from 12 to 40 characters, once,
// under the marker "ZZ20100511.PUBLISH_LEN".

#include "UpgradeRunner.h"

namespace kavel {

void TUpgradeRunner::Do2010_05_11() {
    if (!CheckVerSign("ZZ20100511.PUBLISH_LEN")) return;

    // Only the type is named: the column keeps its default and becomes nullable.
    RunSql("alter table lib_bianma ALTER COLUMN bm_publish char(40)");
}

}  // namespace kavel
