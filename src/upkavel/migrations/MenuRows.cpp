
#include "DatabaseError.h"
#include "UpgradeRunner.h"

namespace kavel {

void TUpgradeRunner::InsertMenuRowUnlessPresent(const char* probe, const char* insert) {
    try {
        if (!RowExists(probe)) RunSql(insert);
    } catch (const EDatabaseError&) {
        // Discarded on purpose, as for the other protected menu statements.
        Discarded();
    }
}

}  // namespace kavel
