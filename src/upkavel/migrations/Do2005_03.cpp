#include "frmUpKavelMain.h"

namespace kavel {

void TUpKavelMain::Do2005_03() {
    // The actions of this step are not built yet.
}

}  // namespace kavel
