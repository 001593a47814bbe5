#include "BaselineStep.h"
#include "frmUpKavelMain.h"

namespace kavel::baseline {

void ParametersAndReaders(TUpKavelMain& /*form*/) {
    // Not built yet.
}

}  // namespace kavel::baseline
