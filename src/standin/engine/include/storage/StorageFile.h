#pragma once
// File operations of the database folder with the durability they promise spelled out.
// Every failure throws std::runtime_error naming the operation, the file and the system's reason.

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>

namespace standin {

// Owns a POSIX file descriptor.
class FileHandle {
public:
    FileHandle() = default;
    explicit FileHandle(int fd) : fd_(fd) {}
    FileHandle(FileHandle&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    FileHandle& operator=(FileHandle&& other) noexcept;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle();

    int Fd() const { return fd_; }
    bool IsOpen() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

[[noreturn]] void ThrowFileError(const std::string& operation, const std::filesystem::path& file,
                                 int errorNumber);

// Opens with open(2) flags; throws on failure.
FileHandle OpenFile(const std::filesystem::path& file, int flags, int mode = 0644);

// Writes all of `bytes` (retrying short writes and EINTR). After it returns the data is in the
// operating system and survives a crash of this process.
void WriteAll(const FileHandle& file, std::string_view bytes, const std::filesystem::path& name);

// Forces written data to the disk: survives a crash of the machine.
void SyncFile(const FileHandle& file, const std::filesystem::path& name);
void SyncDirectory(const std::filesystem::path& dir);

// Replaces `target` with `bytes` so that after any crash it holds either its old or its new
// contents completely: writes `target`.tmp, syncs it, renames it over `target`, syncs the folder.
void ReplaceFileDurably(const std::filesystem::path& target, std::string_view bytes);
// The same with the new contents in pieces, written one after the other.
void ReplaceFileDurably(const std::filesystem::path& target,
                        std::initializer_list<std::string_view> pieces);

// The temporary name ReplaceFileDurably uses for `target`.
std::filesystem::path TemporaryFor(const std::filesystem::path& target);

std::string ReadWholeFile(const std::filesystem::path& file);

}  // namespace standin
