#include "ConnectionSettings.h"

#include "Cp936.h"
#include "TDatabase.h"
#include "TRegistry.h"
#include "Trim.h"
#include "unTools.h"

namespace kavel {
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

void SetDefaultConnection(TDatabase& libDB) {
    libDB.AliasName = "KavelODBC";
    libDB.DatabaseName = "LibDB";
    libDB.LoginPrompt = false;
    libDB.Params = {"USER NAME=sa"};
    libDB.SessionName = "Default";
}

void ApplyConnectionSettings(TDatabase& libDB) {
    TRegistry registry;
    registry.SetRootKey(RootKey::LocalMachine);
    if (!registry.KeyExists(kSettingsKey)) return;
    registry.OpenKeyReadOnly(kSettingsKey);
    libDB.AliasName = Trim(registry.ReadString("ODBCNAME"));
    libDB.Params.clear();
    libDB.Params.push_back("USER NAME=" + DecodeSetting(registry.ReadString("USERNAME")));
    libDB.Params.push_back("PASSWORD=" + DecodeSetting(registry.ReadString("PASSWORD")));
    registry.CloseKey();
}

}  // namespace kavel
