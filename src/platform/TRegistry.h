#pragma once
// Read-only access to the registry, in the shape the program uses it: choose a root key, test
// whether a key exists, open it, read text values by name, close it.
//
// On Windows this is the real registry. Elsewhere the registry is a ".reg" export file (see
// RegFile.h) whose path is taken from the environment variable KAVEL_HKLM, default
// /etc/korvensoft/HKLM.reg. A missing file means that no key exists. The file is read at the first
// lookup and kept for the life of the object.
//
// Key paths without a leading '\' are relative to the open key (or to the root when none is
// open); with a leading '\' they start at the root. Names and values are UTF-8.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "RegFile.h"

namespace kavel {

class RegistryBackend;

// Root key handles, with the values Windows gives them.
enum class RootKey : std::uint32_t {
    ClassesRoot = 0x80000000,
    CurrentUser = 0x80000001,
    LocalMachine = 0x80000002,
    Users = 0x80000003,
    CurrentConfig = 0x80000005,
};

class TRegistry {
public:
    TRegistry();  // root key: CurrentUser, as on Windows; no key open
    ~TRegistry();
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    // Selects the root key and closes any open key. Throws RegistryError for an unknown handle.
    void SetRootKey(std::uint32_t handle);
    void SetRootKey(RootKey root) { SetRootKey(static_cast<std::uint32_t>(root)); }
    std::uint32_t GetRootKey() const { return root_; }

    // Throws RegistryError when the store cannot be read (file unreadable or malformed).
    bool KeyExists(std::string_view key);

    // Opens `key` for reading; false when it does not exist, leaving the previous key open.
    bool OpenKeyReadOnly(std::string_view key);

    // The text of the value `name` of the open key (of the root key when none is open). A missing
    // value reads as empty text. A value of any type other than string or expandable string
    // throws RegistryError; expandable strings are returned unexpanded.
    std::string ReadString(std::string_view name);

    void CloseKey();

    // Where the store file is read from off Windows: $KAVEL_HKLM or the default path.
    static std::string StorePath();

private:
    std::unique_ptr<RegistryBackend> backend_;
    std::uint32_t root_;
    std::string currentKey_;  // open key below the root, without leading '\'; empty: the root

    std::string Resolve(std::string_view key) const;
};

}  // namespace kavel
