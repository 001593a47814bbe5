// The version ledger: table ver_manage, one char(40) column vm_mess, one row per applied marker.
// A marker is recorded before the work it guards, so guarded work that failed half-way is not
// tried again by a later run.

#include "DoubleQuotes.h"
#include "TableDecl.h"
#include "UpgradeRunner.h"

namespace kavel {

namespace {

// One column, no key, no index; a marker is padded to 40 characters.
const TableDecl kVerManage{"ver_manage", {Column("vm_mess", "char(40)").Default("''")}, ""};

}  // namespace

void TUpgradeRunner::EnsureLedger() { CreateTableIfMissing(kVerManage); }

bool TUpgradeRunner::CheckVerSign(const std::string& marker) {
    const bool absent =
        !OpenAndTest(qrTmp, {"select vm_mess from ver_manage", "where vm_mess=" + Quoted(marker)});
    if (absent) {
        RunSql("insert into ver_manage(vm_mess)values(" + Quoted(marker) + ")");
        progress_.MarkerRecorded(marker);
        Journal("marker " + marker + " recorded");
    }
    return absent;
}

}  // namespace kavel
