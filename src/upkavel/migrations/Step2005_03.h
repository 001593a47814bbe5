#pragma once
// Step 2005-03 in its four pieces, in run order; private to migrations/. Each piece is a list of
// guarded actions on the upgrade form's statement runner.

namespace kavel {

class TUpKavelMain;

namespace step2005_03 {

void AddedColumns(TUpKavelMain& form);          // actions 1-7: baseline when missing, new columns
void PrintCounterTables(TUpKavelMain& form);    // actions 8-9: lib_prttab4new, lib_prttab4anew
void CallNumberSortKey(TUpKavelMain& form);     // action 10: bm_noorder and its fill
void MenusFinesAndLending(TUpKavelMain& form);  // actions 11-19: menu rows, fines, lending

}  // namespace step2005_03
}  // namespace kavel
