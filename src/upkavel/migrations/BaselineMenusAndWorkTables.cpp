#include "BaselineStep.h"
#include "frmUpKavelMain.h"

namespace kavel::baseline {

void MenusAndWorkTables(TUpKavelMain& /*form*/) {
    // Not built yet.
}

}  // namespace kavel::baseline
