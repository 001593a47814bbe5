#pragma once
// The files of one database folder and the checks made before it is created or opened.
//
//   sqlstandin-database   format marker, written last by Create: a folder without it is not
//                         (or not yet) a database. Also the lock file of the open database.
//   snapshot.bin          the state at the last checkpoint (SnapshotFile.h)
//   log.wal               the statements since then (Wal.h)
//   *.tmp                 a replacement being written; left over only by an interrupted write,
//                         in which case the file it was meant to replace is still whole.
// Other files in the folder are not read and not touched.

#include <filesystem>

#include "storage/StorageFile.h"

namespace standin {

class DatabaseFolder {
public:
    explicit DatabaseFolder(std::filesystem::path dir) : dir_(std::move(dir)) {}

    const std::filesystem::path& Dir() const { return dir_; }
    std::filesystem::path MarkerFile() const { return dir_ / "sqlstandin-database"; }
    std::filesystem::path SnapshotFile() const { return dir_ / "snapshot.bin"; }
    std::filesystem::path LogFile() const { return dir_ / "log.wal"; }

    // Makes sure the folder can receive a new database: creates it when absent, accepts it when
    // empty, and throws with the reason otherwise (already a database, or holds other files).
    void PrepareForCreate() const;

    // Writes the marker; the last step of creating a database.
    void WriteMarker() const;

    // Moves the complete database in `source` (a folder on the same file system) into this empty
    // folder: its data files first, the marker last, so that this folder becomes a database only
    // with the final rename.
    void MoveDatabaseFrom(const DatabaseFolder& source) const;
    // Removes the database files from this folder (the undo of an unfinished MoveDatabaseFrom).
    void RemoveDatabaseFiles() const;

    // Checks that the folder holds a complete database of our format, takes its lock (held while
    // the returned handle lives) and removes temporary files of interrupted writes. Throws with a
    // message naming the problem otherwise.
    FileHandle OpenAndLock() const;

private:
    std::filesystem::path dir_;
};

}  // namespace standin
