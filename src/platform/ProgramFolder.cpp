#include "ProgramFolder.h"

#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

namespace kavel {

std::string FolderOfThisProgram() {
    namespace fs = std::filesystem;
#ifdef _WIN32
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return ".";
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const fs::path program(path);
#else
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    if (error) return ".";
#endif
    const std::u8string folder = program.parent_path().u8string();
    return std::string(folder.begin(), folder.end());
}

}  // namespace kavel
