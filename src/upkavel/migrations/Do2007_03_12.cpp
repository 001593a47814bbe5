#include "frmUpKavelMain.h"

namespace kavel {

void TUpKavelMain::Do2007_03_12() {
    // The actions of this step are not built yet.
}

}  // namespace kavel
