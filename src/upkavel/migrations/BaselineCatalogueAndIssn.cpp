#include "BaselineStep.h"
#include "frmUpKavelMain.h"

namespace kavel::baseline {

void CatalogueAndIssn(TUpKavelMain& /*form*/) {
    // Not built yet.
}

}  // namespace kavel::baseline
