#include "frmUpKavelMain.h"

namespace kavel {

void TUpKavelMain::DoCodeIssnWork() {
    // The actions of this job are not built yet.
}

}  // namespace kavel
