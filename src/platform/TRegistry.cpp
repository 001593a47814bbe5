#include "TRegistry.h"

#include <cstdlib>

#include "TRegistryBackend.h"

namespace kavel {

const char* RootKeyName(std::uint32_t handle) {
    switch (static_cast<RootKey>(handle)) {
        case RootKey::ClassesRoot:
            return "HKEY_CLASSES_ROOT";
        case RootKey::CurrentUser:
            return "HKEY_CURRENT_USER";
        case RootKey::LocalMachine:
            return "HKEY_LOCAL_MACHINE";
        case RootKey::Users:
            return "HKEY_USERS";
        case RootKey::CurrentConfig:
            return "HKEY_CURRENT_CONFIG";
    }
    return nullptr;
}

TRegistry::TRegistry()
    : backend_(MakeRegistryBackend()), root_(static_cast<std::uint32_t>(RootKey::CurrentUser)) {}

TRegistry::~TRegistry() = default;

void TRegistry::SetRootKey(std::uint32_t handle) {
    if (RootKeyName(handle) == nullptr)
        throw RegistryError("unknown registry root key handle " + std::to_string(handle));
    CloseKey();
    root_ = handle;
}

std::string TRegistry::Resolve(std::string_view key) const {
    bool absolute = !key.empty() && key.front() == '\\';
    while (!key.empty() && key.front() == '\\') key.remove_prefix(1);
    if (absolute || currentKey_.empty()) return std::string(key);
    return key.empty() ? currentKey_ : currentKey_ + "\\" + std::string(key);
}

bool TRegistry::KeyExists(std::string_view key) { return backend_->KeyExists(root_, Resolve(key)); }

bool TRegistry::OpenKeyReadOnly(std::string_view key) {
    std::string path = Resolve(key);
    if (!backend_->KeyExists(root_, path)) return false;
    currentKey_ = path;
    return true;
}

std::string TRegistry::ReadString(std::string_view name) {
    return backend_->ReadString(root_, currentKey_, name);
}

void TRegistry::CloseKey() { currentKey_.clear(); }

std::string TRegistry::StorePath() {
    const char* env = std::getenv("KAVEL_HKLM");
    return env != nullptr && *env != '\0' ? env : "/etc/korvensoft/HKLM.reg";
}

}  // namespace kavel
