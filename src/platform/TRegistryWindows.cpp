// The Windows registry behind TRegistry. Built only on Windows.
#ifdef _WIN32

#include <windows.h>

#include <initializer_list>
#include <string>

#include "RegFile.h"
#include "TRegistry.h"
#include "TRegistryBackend.h"

namespace kavel {
namespace {

std::wstring Widen(std::string_view utf8) {
    if (utf8.empty()) return {};
    int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                static_cast<int>(utf8.size()), nullptr, 0);
    if (n <= 0) throw RegistryError("registry name is not valid UTF-8");
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                        w.data(), n);
    return w;
}

std::string Narrow(std::wstring_view w) {
    if (w.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string s(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr,
                        nullptr);
    return s;
}

HKEY RootHandle(std::uint32_t root) {
    // Predefined handles are sign-extended 32-bit values.
    return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(root)));
}

// The main program that writes the settings is a 32-bit program: on 64-bit Windows its
// HKEY_LOCAL_MACHINE\SOFTWARE is the 32-bit view (WOW6432Node), which a 64-bit build does not
// see by default. A key is looked up there first, then in the 64-bit view (settings written
// there by hand or by a 64-bit tool). On 32-bit Windows both flags are ignored: one view.
class OpenKey {
public:
    OpenKey(std::uint32_t root, const std::string& path) {
        const std::wstring wpath = Widen(path);
        for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
            status_ = RegOpenKeyExW(RootHandle(root), wpath.c_str(), 0, KEY_READ | view, &key_);
            if (status_ != ERROR_FILE_NOT_FOUND) break;
        }
    }
    ~OpenKey() {
        if (status_ == ERROR_SUCCESS) RegCloseKey(key_);
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    LONG Status() const { return status_; }
    HKEY Handle() const { return key_; }

private:
    HKEY key_ = nullptr;
    LONG status_;
};

class WindowsBackend : public RegistryBackend {
public:
    bool KeyExists(std::uint32_t root, const std::string& path) override {
        OpenKey key(root, path);
        // A key that we may not read still exists.
        return key.Status() == ERROR_SUCCESS || key.Status() == ERROR_ACCESS_DENIED;
    }

    std::string ReadString(std::uint32_t root, const std::string& path,
                           std::string_view name) override {
        OpenKey key(root, path);
        if (key.Status() != ERROR_SUCCESS) return {};
        std::wstring wname = Widen(name);
        DWORD type = 0, size = 0;
        LONG r = RegQueryValueExW(key.Handle(), wname.c_str(), nullptr, &type, nullptr, &size);
        if (r == ERROR_FILE_NOT_FOUND) return {};
        if (r != ERROR_SUCCESS)
            throw RegistryError("cannot read registry value '" + std::string(name) + "' (error " +
                                std::to_string(r) + ")");
        if (type != REG_SZ && type != REG_EXPAND_SZ)
            throw RegistryError("registry value '" + std::string(name) + "' of key '" +
                                RootKeyName(root) + "\\" + path + "' is not text");
        std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
        r = RegQueryValueExW(key.Handle(), wname.c_str(), nullptr, &type,
                             reinterpret_cast<BYTE*>(data.data()), &size);
        if (r != ERROR_SUCCESS)
            throw RegistryError("cannot read registry value '" + std::string(name) + "' (error " +
                                std::to_string(r) + ")");
        data.resize(size / sizeof(wchar_t));
        return Narrow(std::wstring_view(data.c_str()));  // text ends at its first NUL
    }
};

}  // namespace

std::unique_ptr<RegistryBackend> MakeRegistryBackend() {
    return std::make_unique<WindowsBackend>();
}

}  // namespace kavel

#endif  // _WIN32
