// Action 10 of step 2005-03: the sort key bm_noorder of every catalogue record, computed once,
// in the run that adds the column; later runs never recompute it. One UPDATE per row, on qrTmp1,
// while qrTmp holds the rows; the message pump runs once per row so the form stays painted.

#include <string>

#include "DoubleQuotes.h"
#include "MakeNoOrder.h"
#include "UpgradeRunner.h"

namespace kavel {

void TUpgradeRunner::CallNumberSortKey2005_03() {
    if (ColumnExists("lib_bianma", "bm_noorder")) return;
    RunSql("alter table lib_bianma add bm_noorder char(26) default('')");
    Walk(qrTmp, {"select bm_no,bm_bookno from lib_bianma"}, [this] {
        PumpMessages();
        // The key never holds a quote; Quoted keeps that from mattering at all.
        const std::string key = NoOrderOfText(qrTmp.FieldByName("bm_bookno").AsString());
        const int bookNo = qrTmp.FieldByName("bm_no").AsInteger();
        RunSql(qrTmp1, {"update lib_bianma set", "  bm_noorder=" + Quoted(key),
                        "where bm_no=" + std::to_string(bookNo)});
    });
}

}  // namespace kavel
