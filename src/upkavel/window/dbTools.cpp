#include "dbTools.h"

#include "ConnectionSettings.h"
#include "FormLook.h"
#include "frmFlashTools.h"
#include "unTools.h"

namespace kavel {

TdbToolsMain* dbToolsMain = nullptr;

TdbToolsMain::TdbToolsMain() {
    setObjectName("dbToolsMain");
    SetDefaultConnection(LibDB);
    LibDB.BeforeConnect = [this] { LibDBBeforeConnect(); };
    LibDB.AfterConnect = [this] { LibDBAfterConnect(); };
}

TdbToolsMain::~TdbToolsMain() {
    if (dbToolsMain == this) dbToolsMain = nullptr;
}

void TdbToolsMain::Loaded() { LibDB.SetConnected(true); }

void TdbToolsMain::LibDBBeforeConnect() {
    ApplyConnectionSettings(LibDB);
    ConnectGate = "系统正在连接数据库，请稍候...";
    splash_ = std::make_unique<TFlashTools>();
    FlashTools = splash_.get();
    ShowAtOnce(*FlashTools);
}

void TdbToolsMain::LibDBAfterConnect() {
    splash_.reset();
    ConnectGate = "OK";
}

}  // namespace kavel
