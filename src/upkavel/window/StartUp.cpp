#include "StartUp.h"

#include <memory>

#include "RunJournal.h"
#include "TApplication.h"
#include "dbTools.h"
#include "frmUpKavelMain.h"
#include "unTools.h"

namespace kavel {
namespace {

void ShowConnectionError(const std::string& reason) {
    if (dbToolsMain != nullptr) {
        RunJournal journal(RunJournal::DefaultFolder());
        journal.Header("UpKavel", dbToolsMain->LibDB, std::nullopt);
        journal.Line("connection FAILED: " + reason);
    }
    Application.MessageBox("数据库连接失败，请检查通信参数或服务器状态！", "错误信息", mb::kOk);
}

}  // namespace

bool StartUp() {
    try {
        // Owned by the application before it loads: when connecting fails, the module and the
        // splash it put up stay until the program ends, behind the error box.
        dbToolsMain = Application.Adopt(std::make_unique<TdbToolsMain>());
        dbToolsMain->Loaded();
        if (ConnectGate == "OK") {
            UpKavelMain = Application.Adopt(std::make_unique<TUpKavelMain>(dbToolsMain->LibDB));
            return true;
        }
        ShowConnectionError("the connection gate was not opened");
    } catch (const std::exception& e) {
        ShowConnectionError(e.what());
    } catch (...) {
        ShowConnectionError("unknown error");
    }
    return false;
}

}  // namespace kavel
