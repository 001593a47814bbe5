#include "frmUpKavelMain.h"

namespace kavel {

void TUpKavelMain::DoQianDao() {
    // The actions of this job are not built yet.
}

}  // namespace kavel
