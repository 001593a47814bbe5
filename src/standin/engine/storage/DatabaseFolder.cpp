#include "storage/DatabaseFolder.h"

#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>
#include <cstdio>
#include <stdexcept>
#include <system_error>

namespace standin {
namespace {

constexpr std::string_view kMarkerText = "sqlstandin database\nformat 1\n";
constexpr std::string_view kMarkerPrefix = "sqlstandin database\n";

std::string Quoted(const std::filesystem::path& p) { return "'" + p.string() + "'"; }

}  // namespace

void DatabaseFolder::PrepareForCreate() const {
    std::error_code ec;
    const auto status = std::filesystem::status(dir_, ec);
    if (status.type() == std::filesystem::file_type::not_found) {
        if (!std::filesystem::create_directories(dir_, ec) && ec)
            throw std::runtime_error("cannot create folder " + Quoted(dir_) + ": " + ec.message());
        return;
    }
    if (ec) throw std::runtime_error("cannot examine " + Quoted(dir_) + ": " + ec.message());
    if (!std::filesystem::is_directory(status))
        throw std::runtime_error(Quoted(dir_) + " exists and is not a folder");
    if (std::filesystem::exists(MarkerFile(), ec))
        throw std::runtime_error(Quoted(dir_) + " already holds a database; it is left as it is");
    std::filesystem::directory_iterator it(dir_, ec);
    if (ec) throw std::runtime_error("cannot list folder " + Quoted(dir_) + ": " + ec.message());
    if (it != std::filesystem::directory_iterator())
        throw std::runtime_error("folder " + Quoted(dir_) + " is not empty (it holds " +
                                 Quoted(it->path().filename()) +
                                 "); a new database needs an empty folder");
}

void DatabaseFolder::WriteMarker() const { ReplaceFileDurably(MarkerFile(), kMarkerText); }

void DatabaseFolder::MoveDatabaseFrom(const DatabaseFolder& source) const {
    const auto move = [](const std::filesystem::path& from, const std::filesystem::path& to) {
        if (::rename(from.c_str(), to.c_str()) != 0)
            ThrowFileError("move to '" + to.string() + "' the file", from, errno);
    };
    move(source.SnapshotFile(), SnapshotFile());
    move(source.LogFile(), LogFile());
    SyncDirectory(dir_);
    move(source.MarkerFile(), MarkerFile());
    SyncDirectory(dir_);
}

void DatabaseFolder::RemoveDatabaseFiles() const {
    std::error_code ec;
    for (const auto& file : {MarkerFile(), SnapshotFile(), LogFile()})
        std::filesystem::remove(file, ec);
}

FileHandle DatabaseFolder::OpenAndLock() const {
    std::error_code ec;
    if (!std::filesystem::exists(dir_, ec))
        throw std::runtime_error("database folder " + Quoted(dir_) + " does not exist");
    if (!std::filesystem::is_directory(dir_, ec))
        throw std::runtime_error(Quoted(dir_) + " is not a folder");

    if (!std::filesystem::exists(MarkerFile(), ec)) {
        if (std::filesystem::exists(SnapshotFile(), ec) || std::filesystem::exists(LogFile(), ec))
            throw std::runtime_error(Quoted(dir_) + " has database files but no marker " +
                                     Quoted(MarkerFile().filename()) +
                                     ": its creation did not finish; it is not opened");
        throw std::runtime_error(Quoted(dir_) + " is not a sqlstandin database (it has no " +
                                 Quoted(MarkerFile().filename()) +
                                 "); create one with 'sqlstandin init'");
    }
    const std::string marker = ReadWholeFile(MarkerFile());
    if (marker != kMarkerText) {
        if (marker.starts_with(kMarkerPrefix))
            throw std::runtime_error(Quoted(MarkerFile()) +
                                     " names a database format this sqlstandin does not read (" +
                                     marker.substr(kMarkerPrefix.size(), 40) + ")");
        throw std::runtime_error(Quoted(MarkerFile()) + " is not a sqlstandin format marker");
    }

    FileHandle lock = OpenFile(MarkerFile(), O_RDONLY);
    if (::flock(lock.Fd(), LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK)
            throw std::runtime_error("database " + Quoted(dir_) +
                                     " is in use by another sqlstandin process");
        ThrowFileError("lock", MarkerFile(), errno);
    }

    if (!std::filesystem::exists(SnapshotFile(), ec))
        throw std::runtime_error(
            Quoted(SnapshotFile()) +
            " is missing; the database cannot be rebuilt from its log alone and is not opened");
    if (!std::filesystem::exists(LogFile(), ec))
        throw std::runtime_error(
            Quoted(LogFile()) +
            " is missing; statements made since the last checkpoint would be lost, so the "
            "database is not opened");
    // An interrupted replacement: the file it was meant to replace is still whole.
    for (const auto& target : {SnapshotFile(), LogFile(), MarkerFile()}) {
        std::filesystem::remove(TemporaryFor(target), ec);
        if (ec)
            throw std::runtime_error("cannot remove " + Quoted(TemporaryFor(target)) + ": " +
                                     ec.message());
    }
    return lock;
}

}  // namespace standin
