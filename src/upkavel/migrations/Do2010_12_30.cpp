#include "frmUpKavelMain.h"

namespace kavel {

void TUpKavelMain::Do2010_12_30() {
    // The actions of this step are not built yet.
}

}  // namespace kavel
