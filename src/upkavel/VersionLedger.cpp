// The version ledger: table ver_manage, one char(40) column vm_mess, one row per applied marker.
// A marker is recorded before the work it guards, so guarded work that failed half-way is not
// tried again by a later run.

#include "DoubleQuotes.h"
#include "frmUpKavelMain.h"

namespace kavel {

void TUpKavelMain::EnsureLedger() {
    if (TableExists("ver_manage")) return;
    RunSql({"create table ver_manage ( ", "\t\tvm_mess \tchar(40) default('')", ") "});
}

bool TUpKavelMain::CheckVerSign(const std::string& marker) {
    const std::string quoted = DoubleQuotes(marker);
    const bool absent = !OpenAndTest(qrTmp, {"select vm_mess from ver_manage",
                                             "where vm_mess='" + quoted + "'"});
    if (absent) RunSql({"insert into ver_manage(vm_mess)values('" + quoted + "')"});
    return absent;
}

}  // namespace kavel
