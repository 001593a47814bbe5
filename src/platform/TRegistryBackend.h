#pragma once
// What TRegistry reads from: the Windows registry (TRegistryWindows.cpp) or the .reg file store
// (TRegistryFileStore.cpp). Exactly one of the two is compiled and supplies MakeRegistryBackend.
// Paths are below the root, without a leading '\'; the empty path is the root key itself.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace kavel {

class RegistryBackend {
public:
    virtual ~RegistryBackend() = default;
    // Throws RegistryError when the registry cannot be read at all.
    virtual bool KeyExists(std::uint32_t root, const std::string& path) = 0;
    // Empty text when the key or the value is absent; RegistryError when the value is not text.
    virtual std::string ReadString(std::uint32_t root, const std::string& path,
                                   std::string_view name) = 0;
};

std::unique_ptr<RegistryBackend> MakeRegistryBackend();

// The name of a root key handle as Windows spells it, or nullptr for an unknown handle.
const char* RootKeyName(std::uint32_t handle);

}  // namespace kavel
