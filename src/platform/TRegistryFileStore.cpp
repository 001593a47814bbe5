// The registry of machines without one: the .reg file named by TRegistry::StorePath().
#ifndef _WIN32

#include <optional>

#include "RegFile.h"
#include "TRegistry.h"
#include "TRegistryBackend.h"

namespace kavel {
namespace {

class FileStoreBackend : public RegistryBackend {
public:
    bool KeyExists(std::uint32_t root, const std::string& path) override {
        return Store().KeyExists(FullPath(root, path));
    }

    std::string ReadString(std::uint32_t root, const std::string& path,
                           std::string_view name) override {
        std::string key = FullPath(root, path);
        const RegValue* value = Store().FindValue(key, name);
        if (value == nullptr) return {};
        if (!value->IsText())
            throw RegistryError(store_->FileName() + ":" + std::to_string(value->line) +
                                ": registry value '" + std::string(name) + "' of key '" + key +
                                "' is " + value->typeName + ", not text");
        return value->text;
    }

private:
    // Read once, at the first lookup, so that creating a TRegistry never fails.
    const RegFile& Store() {
        if (!store_) store_ = RegFile::Load(TRegistry::StorePath());
        return *store_;
    }

    static std::string FullPath(std::uint32_t root, const std::string& path) {
        std::string full = RootKeyName(root);
        if (!path.empty()) full += "\\" + path;
        return full;
    }

    std::optional<RegFile> store_;
};

}  // namespace

std::unique_ptr<RegistryBackend> MakeRegistryBackend() {
    return std::make_unique<FileStoreBackend>();
}

}  // namespace kavel

#endif  // !_WIN32
