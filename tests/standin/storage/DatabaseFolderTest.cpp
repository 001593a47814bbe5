#include <gtest/gtest.h>

#include "TestSupport.h"
#include "storage/DatabaseFolder.h"

namespace standin {
namespace {

using testing::TempDir;
using testing::WriteBytes;

std::string CreateError(const DatabaseFolder& f) {
    return testing::ErrorText([&] { f.PrepareForCreate(); });
}
std::string OpenError(const DatabaseFolder& f) {
    return testing::ErrorText([&] { f.OpenAndLock(); });
}

// A folder with every file in place (contents of snapshot and log are checked elsewhere).
void MakeComplete(const DatabaseFolder& folder) {
    std::filesystem::create_directories(folder.Dir());
    WriteBytes(folder.SnapshotFile(), "s");
    WriteBytes(folder.LogFile(), "l");
    folder.WriteMarker();
}

TEST(DatabaseFolder, CreateAcceptsOnlyAbsentOrEmptyFolders) {
    TempDir tmp;
    const DatabaseFolder absent(tmp / "a" / "b");
    EXPECT_EQ(CreateError(absent), "");
    EXPECT_TRUE(std::filesystem::is_directory(absent.Dir()));
    EXPECT_EQ(CreateError(absent), "") << "an empty folder is fine";

    WriteBytes(tmp / "a" / "b" / "notes.txt", "mine");
    EXPECT_NE(CreateError(absent).find("not empty (it holds 'notes.txt')"), std::string::npos);

    const DatabaseFolder existing(tmp / "db");
    MakeComplete(existing);
    EXPECT_NE(CreateError(existing).find("already holds a database"), std::string::npos);

    WriteBytes(tmp / "file", "x");
    EXPECT_NE(CreateError(DatabaseFolder(tmp / "file")).find("is not a folder"), std::string::npos);
}

// A complete folder but for one file, removed (no bytes) or replaced. (A folder that is missing or
// empty, and a missing snapshot, are refused in sqlstandin's and the engine's tests.)
TEST(DatabaseFolder, OpenRefusesWhatIsNotACompleteDatabase) {
    const struct {
        const char* file;
        const char* bytes;
        const char* expect;
    } cases[] = {
        {"sqlstandin-database", nullptr, "no marker"},  // creation interrupted
        {"sqlstandin-database", "hello", "is not a sqlstandin format marker"},
        {"sqlstandin-database", "sqlstandin database\nformat 2\n",
         "format this sqlstandin does not read (format 2"},
        {"log.wal", nullptr, "log.wal' is missing"},
    };
    for (const auto& c : cases) {
        TempDir tmp;
        const DatabaseFolder folder(tmp / "db");
        MakeComplete(folder);
        if (c.bytes)
            WriteBytes(folder.Dir() / c.file, c.bytes);
        else
            std::filesystem::remove(folder.Dir() / c.file);
        EXPECT_NE(OpenError(folder).find(c.expect), std::string::npos) << OpenError(folder);
    }
}

TEST(DatabaseFolder, OpenLocksAndClearsInterruptedReplacements) {
    TempDir tmp;
    const DatabaseFolder folder(tmp / "db");
    MakeComplete(folder);
    WriteBytes(folder.Dir() / "snapshot.bin.tmp", "half");
    WriteBytes(folder.Dir() / "log.wal.tmp", "half");
    WriteBytes(folder.Dir() / "README", "kept");
    {
        const FileHandle lock = folder.OpenAndLock();
        EXPECT_FALSE(std::filesystem::exists(folder.Dir() / "snapshot.bin.tmp"));
        EXPECT_FALSE(std::filesystem::exists(folder.Dir() / "log.wal.tmp"));
        EXPECT_TRUE(std::filesystem::exists(folder.Dir() / "README"));
        EXPECT_NE(OpenError(folder).find("in use by another sqlstandin process"),
                  std::string::npos);
    }
    EXPECT_EQ(OpenError(folder), "") << "the lock goes with the handle";
}

}  // namespace
}  // namespace standin
