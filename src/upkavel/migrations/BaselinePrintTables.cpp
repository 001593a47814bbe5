#include "BaselineStep.h"
#include "frmUpKavelMain.h"

namespace kavel::baseline {

void PrintTables(TUpKavelMain& /*form*/) {
    // Not built yet.
}

}  // namespace kavel::baseline
