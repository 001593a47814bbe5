#include "frmUpKavelMain.h"

namespace kavel {

void TUpKavelMain::Do2012_03_15() {
    // The actions of this step are not built yet.
}

}  // namespace kavel
