#include "frmUpKavelMain.h"

namespace kavel {

void TUpKavelMain::btDownloadClick() {
    // The actions of this job are not built yet.
}

}  // namespace kavel
