#include "storage/StorageFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace standin {

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

FileHandle::~FileHandle() {
    if (fd_ >= 0) ::close(fd_);
}

void ThrowFileError(const std::string& operation, const std::filesystem::path& file,
                    int errorNumber) {
    throw std::runtime_error("cannot " + operation + " '" + file.string() +
                             "': " + std::strerror(errorNumber));
}

FileHandle OpenFile(const std::filesystem::path& file, int flags, int mode) {
    int fd;
    do {
        fd = ::open(file.c_str(), flags | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) ThrowFileError("open", file, errno);
    return FileHandle(fd);
}

void WriteAll(const FileHandle& file, std::string_view bytes, const std::filesystem::path& name) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(file.Fd(), bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            ThrowFileError("write", name, errno);
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

void SyncFile(const FileHandle& file, const std::filesystem::path& name) {
    if (::fsync(file.Fd()) != 0) ThrowFileError("sync", name, errno);
}

void SyncDirectory(const std::filesystem::path& dir) {
    const FileHandle handle = OpenFile(dir, O_RDONLY | O_DIRECTORY);
    SyncFile(handle, dir);
}

std::filesystem::path TemporaryFor(const std::filesystem::path& target) {
    std::filesystem::path tmp = target;
    tmp += ".tmp";
    return tmp;
}

void ReplaceFileDurably(const std::filesystem::path& target, std::string_view bytes) {
    ReplaceFileDurably(target, {bytes});
}

void ReplaceFileDurably(const std::filesystem::path& target,
                        std::initializer_list<std::string_view> pieces) {
    const std::filesystem::path tmp = TemporaryFor(target);
    try {
        {
            const FileHandle file = OpenFile(tmp, O_WRONLY | O_CREAT | O_TRUNC);
            for (std::string_view bytes : pieces) WriteAll(file, bytes, tmp);
            SyncFile(file, tmp);
        }
        if (::rename(tmp.c_str(), target.c_str()) != 0)
            ThrowFileError("rename over '" + target.string() + "'", tmp, errno);
    } catch (...) {
        ::unlink(tmp.c_str());  // a partial copy helps nobody; the target is untouched
        throw;
    }
    SyncDirectory(target.has_parent_path() ? target.parent_path() : std::filesystem::path("."));
}

std::string ReadWholeFile(const std::filesystem::path& file) {
    const FileHandle handle = OpenFile(file, O_RDONLY);
    std::string bytes;
    struct stat st {};
    if (::fstat(handle.Fd(), &st) == 0 && st.st_size > 0)
        bytes.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(handle.Fd(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            ThrowFileError("read", file, errno);
        }
        if (n == 0) break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    return bytes;
}

}  // namespace standin
