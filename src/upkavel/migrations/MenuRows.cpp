#include "MenuRows.h"

#include "DatabaseError.h"
#include "frmUpKavelMain.h"

namespace kavel {

void InsertMenuRowUnlessPresent(TUpKavelMain& form, const char* probe, const char* insert) {
    try {
        if (!form.RowExists(probe)) form.RunSql(insert);
    } catch (const EDatabaseError&) {
        // Discarded on purpose, as for the other protected menu statements.
    }
}

}  // namespace kavel
