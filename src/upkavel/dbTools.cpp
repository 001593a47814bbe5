#include "dbTools.h"

#include "Cp936.h"
#include "FormLook.h"
#include "TRegistry.h"
#include "Trim.h"
#include "frmFlashTools.h"
#include "unTools.h"

namespace kavel {

TdbToolsMain* dbToolsMain = nullptr;

namespace {

constexpr const char* kSettingsKey = "SOFTWARE\\KorvenSoft\\Kavel";

// The decoded digit code is a string of byte codes of the Windows code page 936, as the main
// program wrote it; the program's text is UTF-8. Any four digits are a valid code, so bytes that
// are no CP936 text still go to the login unchanged in number and order (the server refuses a
// wrong login; decoding must not refuse it first).
std::string DecodeSetting(const std::string& stored) {
    return Cp936ToUtf8KeepingBytes(DecodeDigits(Trim(stored)));
}

}  // namespace

TdbToolsMain::TdbToolsMain() {
    setObjectName("dbToolsMain");
    LibDB.AliasName = "KavelODBC";
    LibDB.DatabaseName = "LibDB";
    LibDB.LoginPrompt = false;
    LibDB.Params = {"USER NAME=sa"};
    LibDB.SessionName = "Default";
    LibDB.BeforeConnect = [this] { LibDBBeforeConnect(); };
    LibDB.AfterConnect = [this] { LibDBAfterConnect(); };
}

TdbToolsMain::~TdbToolsMain() {
    if (dbToolsMain == this) dbToolsMain = nullptr;
}

void TdbToolsMain::Loaded() { LibDB.SetConnected(true); }

void TdbToolsMain::ApplyConnectionSettings() {
    TRegistry registry;
    registry.SetRootKey(RootKey::LocalMachine);
    if (!registry.KeyExists(kSettingsKey)) return;
    registry.OpenKeyReadOnly(kSettingsKey);
    LibDB.AliasName = Trim(registry.ReadString("ODBCNAME"));
    LibDB.Params.clear();
    LibDB.Params.push_back("USER NAME=" + DecodeSetting(registry.ReadString("USERNAME")));
    LibDB.Params.push_back("PASSWORD=" + DecodeSetting(registry.ReadString("PASSWORD")));
    registry.CloseKey();
}

void TdbToolsMain::LibDBBeforeConnect() {
    ApplyConnectionSettings();
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
