#include "frmUpKavelMain.h"

namespace kavel {

void TUpKavelMain::btDoClick() {
    // The actions of this job are not built yet.
}

}  // namespace kavel
