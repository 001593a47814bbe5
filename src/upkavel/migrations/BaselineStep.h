#pragma once
// The baseline step Do2005Before in its four pieces, in run order; private to migrations/. Each
// piece is a list of guarded actions on the upgrade form's statement runner.

namespace kavel {

class TUpKavelMain;

namespace baseline {

void PrintTables(TUpKavelMain& form);           // actions 1-8: print, notes and reminder tables
void ParametersAndReaders(TUpKavelMain& form);  // actions 9-15: parameters, prices, people, loans
void CatalogueAndIssn(TUpKavelMain& form);      // actions 16-22: ISSN import, catalogue, barcodes
void MenusAndWorkTables(TUpKavelMain& form);    // actions 23-36: menus, work tables, schedules

}  // namespace baseline
}  // namespace kavel
