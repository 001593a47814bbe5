#pragma once
// Menu rows of the main program's lib_gongneng that a step adds without deleting first; private
// to migrations/.

namespace kavel {

class TUpKavelMain;

// Runs `insert` only when the row probe `probe` finds no row for its code, so a repeated run adds
// no second row even where gn_menucode carries no unique key. Probe and insert share one
// protection: any database error of either (a missing lib_gongneng included) is discarded and the
// step goes on.
void InsertMenuRowUnlessPresent(TUpKavelMain& form, const char* probe, const char* insert);

}  // namespace kavel
