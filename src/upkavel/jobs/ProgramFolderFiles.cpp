#include "ProgramFolderFiles.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kavel {
namespace {

namespace fs = std::filesystem;

fs::path Utf8Path(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string PathOf(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    const char last = folder.back();
    return (last == '/' || last == '\\') ? folder + name : folder + "/" + name;
}

// The folder as the user's system writes it.
std::string Native(std::string folder) {
#ifdef _WIN32
    for (char& c : folder)
        if (c == '/') c = '\\';
#endif
    return folder;
}

// The reason in the user's language where it is a common one; the system's own words otherwise,
// since they may tell what a translation would lose.
std::string Reason(int error) {
    switch (error) {
        case ENOENT:
            return "文件或文件夹不存在";
        case EACCES:
        case EPERM:
            return "没有权限";
        case EISDIR:
            return "这是一个文件夹，不是文件";
        case ENOSPC:
            return "磁盘已满";
        case EROFS:
            return "磁盘只读";
        default:
            return std::generic_category().message(error);
    }
}

std::FILE* OpenFile(const std::string& path, const char* mode) {
#ifdef _WIN32
    const std::wstring wideMode(mode, mode + std::strlen(mode));
    return _wfopen(Utf8Path(path).c_str(), wideMode.c_str());
#else
    return std::fopen(path.c_str(), mode);
#endif
}

// A new, empty file beside `target` that no one else has opened; its path goes to `path`.
std::FILE* CreateTemporaryBeside(const std::string& target, std::string& path) {
#ifdef _WIN32
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        path = target + "." + std::to_string(GetCurrentProcessId()) + "-" +
               std::to_string(GetTickCount() + attempt);
        const HANDLE handle = CreateFileW(Utf8Path(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                          CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_FILE_EXISTS) continue;
            errno = EACCES;
            return nullptr;
        }
        CloseHandle(handle);
        return OpenFile(path, "wb");
    }
    errno = EEXIST;
    return nullptr;
#else
    std::string pattern = target + ".XXXXXX";
    const int fd = mkstemp(pattern.data());
    if (fd < 0) return nullptr;
    path = pattern;
    // mkstemp makes the file private to its owner; the data file is as readable as any other.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    std::FILE* file = fdopen(fd, "wb");
    if (file == nullptr) {
        const int error = errno;
        close(fd);
        std::remove(path.c_str());
        errno = error;
    }
    return file;
#endif
}

bool SyncToDisk(std::FILE* file) {
#ifdef _WIN32
    return _commit(_fileno(file)) == 0;
#else
    return fsync(fileno(file)) == 0;
#endif
}

bool ReplaceFile(const std::string& from, const std::string& to) {
#ifdef _WIN32
    return MoveFileExW(Utf8Path(from).c_str(), Utf8Path(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}

}  // namespace

std::string FileInFolder(const std::string& name, const std::string& folder) {
    return name + "（文件夹 " + Native(folder) + "）";
}

void ThrowFileError(const char* what, const std::string& folder, const std::string& name,
                    const std::string& reason) {
    // For example: 无法打开文件 issn.dat（文件夹 /opt/kavel）：文件或文件夹不存在。
    throw EInOutError(std::string(what) + " " + FileInFolder(name, folder) + "：" + reason + "。");
}

TextFileLines::TextFileLines(const std::string& folder, const std::string& name)
    : folder_(folder), name_(name) {
    const std::string path = PathOf(folder, name);
    // A folder of that name would open and read as empty: it is no file.
    std::error_code ignored;
    if (fs::is_directory(Utf8Path(path), ignored))
        ThrowFileError("无法打开文件", folder_, name_, Reason(EISDIR));
    file_ = OpenFile(path, "rb");
    if (file_ == nullptr) ThrowFileError("无法打开文件", folder_, name_, Reason(errno));
}

TextFileLines::~TextFileLines() {
    if (file_ != nullptr) std::fclose(file_);
}

bool TextFileLines::ReadLine(std::string& line) {
    line.clear();
    int c = std::getc(file_);
    if (c == EOF) {
        if (std::ferror(file_)) ThrowFileError("无法读取文件", folder_, name_, Reason(errno));
        return false;
    }
    while (c != EOF && c != '\n') {
        line.push_back(static_cast<char>(c));
        c = std::getc(file_);
    }
    if (c == EOF && std::ferror(file_))
        ThrowFileError("无法读取文件", folder_, name_, Reason(errno));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

ReplacedFile::ReplacedFile(const std::string& folder, const std::string& name)
    : folder_(folder), name_(name) {
    file_ = CreateTemporaryBeside(PathOf(folder, name), temporary_);
    if (file_ == nullptr) Fail("无法创建文件", errno);
}

ReplacedFile::~ReplacedFile() {
    if (file_ == nullptr) return;
    std::fclose(file_);
    std::error_code ignored;
    fs::remove(Utf8Path(temporary_), ignored);
}

void ReplacedFile::WriteLine(const std::string& bytes) {
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size() ||
        std::fwrite("\r\n", 1, 2, file_) != 2)
        Fail("无法写入文件", errno);
}

void ReplacedFile::Commit() {
    if (std::fflush(file_) != 0 || !SyncToDisk(file_)) Fail("无法写入文件", errno);
    const bool closed = std::fclose(file_) == 0;
    const int error = errno;
    file_ = nullptr;
    if (!closed || !ReplaceFile(temporary_, PathOf(folder_, name_))) {
        const int renameError = closed ? errno : error;
        std::error_code ignored;
        fs::remove(Utf8Path(temporary_), ignored);
        Fail("无法写入文件", renameError);
    }
}

void ReplacedFile::Fail(const char* what, int error) const {
    ThrowFileError(what, folder_, name_, Reason(error));
}

}  // namespace kavel
