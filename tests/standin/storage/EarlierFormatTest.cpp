// A database folder written by an earlier sqlstandin, whose snapshot holds a format-1 database
// image (FNV-1a trailer), opens with all its data; its next checkpoint writes the current format.
#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "TestSupport.h"

namespace standin {
namespace {

using testing::Exec;
using testing::ReadBytes;
using testing::TempDir;

// Created by that release with `sqlstandin init DIR --sa-password 'Old#Pass1' --script` on a
// script that makes lib_notepad (identity key, defaults, an index) and inserts two rows.
const std::filesystem::path kFormat1Database = FORMAT1_DATABASE_DIR;

constexpr const char* kSelect =
    "select np_no, np_text, np_oprname, np_price from lib_notepad order by np_no";

// Version field of the image inside the snapshot: after the 32-byte snapshot header and the
// image's 8-byte magic.
std::uint32_t ImageVersion(const std::filesystem::path& snapshot) {
    const std::string bytes = ReadBytes(snapshot);
    if (bytes.size() < 44) return 0;
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(bytes[40 + i]);
    return v;
}

TEST(EarlierFormat, Format1DatabaseOpensAndIsRewrittenAtTheNextCheckpoint) {
    TempDir tmp;
    const auto db = tmp / "db";
    std::filesystem::copy(kFormat1Database, db);
    ASSERT_EQ(ImageVersion(db / "snapshot.bin"), 1u);

    const std::string before = "np_no\tnp_text\tnp_oprname\tnp_price\n1\t第一\tabc" +
                               std::string(17, ' ') + "\t12.50\n2\tsecond\tNULL\t0.00\n";
    {
        const auto engine = Engine::Open(db);
        EXPECT_TRUE(engine->CheckLogin("sa", "Old#Pass1"));
        EXPECT_EQ(Exec(*engine, kSelect), before);
        // Identity, defaults and the key carry on where the old release left them.
        Exec(*engine, "insert into lib_notepad(np_text) values('third')");
        Session session;
        const auto duplicate =
            engine->ExecuteBatch(session, "insert into lib_notepad(np_no) values(1)");
        ASSERT_FALSE(duplicate.statements.empty());
        EXPECT_TRUE(duplicate.statements[0].failed);
        engine->Checkpoint();
    }
    EXPECT_EQ(ImageVersion(db / "snapshot.bin"), 2u);
    const auto engine = Engine::Open(db);
    EXPECT_EQ(Exec(*engine, kSelect), before + "3\tthird\t" + std::string(20, ' ') + "\t0.00\n");
    EXPECT_TRUE(engine->CheckLogin("sa", "Old#Pass1"));
}

}  // namespace
}  // namespace standin
