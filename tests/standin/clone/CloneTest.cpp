// sqlstandin clone on a stand-in served over TDS, read through unixODBC + FreeTDS as a live
// SQL Server would be: the copy has the source's tables, columns, identity settings and current
// values, defaults, keys, indexes and rows; the source receives only reads; the copy appears
// whole or not at all.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "DatabaseError.h"
#include "StandinServer.h"
#include "clone/CatalogueReader.h"
#include "clone/CatalogueText.h"
#include "clone/CloneDatabase.h"
#include "clone/CopyWriter.h"

namespace standin::clone {
namespace {

namespace fs = std::filesystem;

// Every row of every table, each as its values' text, sorted.
std::string AllRows(EngineReader& reader, const SourceCatalogue& catalogue) {
    std::string out;
    for (const SourceTable& t : catalogue.tables) {
        std::vector<std::string> rows;
        for (const auto& r : reader.Reader()("select * from " + Bracketed(t.name))) {
            std::string line;
            for (const auto& v : r) line += (v ? "'" + *v + "'" : "NULL") + "|";
            rows.push_back(line);
        }
        std::sort(rows.begin(), rows.end());
        out += "table " + t.name + " " + std::to_string(rows.size()) + "\n";
        for (const auto& r : rows) out += r + "\n";
    }
    return out;
}

class CloneTest : public testing::Test {
protected:
    void SetUp() override {
        try {
            test::StandinServerOptions options;
            options.fixtureScripts = {CLONE_SOURCE_SQL};
            server_ = std::make_unique<test::StandinServer>(options);
        } catch (const std::exception& e) {
            GTEST_SKIP() << "no stand-in server: " << e.what();
        }
    }

    CloneOptions Options(const fs::path& dir) const {
        CloneOptions o;
        o.dir = dir;
        o.source = {server_->DsnName(), "sa", server_->SaPassword()};
        o.saPassword = "Copy#1";
        o.progress = stdout;
        return o;
    }

    std::unique_ptr<test::StandinServer> server_;
};

TEST_F(CloneTest, TheCopyHasTheSourcesCatalogueAndRowsAndTheSourceIsOnlyRead) {
    const fs::path dir = server_->Folder() / "copy";
    // A refused login leaves no folder.
    CloneOptions refused = Options(dir);
    refused.source.password = "wrong";
    EXPECT_THROW(CloneDatabase(refused), kavel::EDatabaseError);
    EXPECT_FALSE(fs::exists(dir));

    const std::size_t before = server_->TraceLines().size();
    const CloneOutcome outcome = CloneDatabase(Options(dir));
    std::fputs(CloneReport(outcome, dir).c_str(), stdout);
    EXPECT_TRUE(outcome.usable);
    EXPECT_TRUE(outcome.catalogue.unreproduced.empty());
    EXPECT_EQ(outcome.tablesCopied, 4);
    EXPECT_EQ(outcome.rowsCopied, 50000 + 5 + 1);
    // Only reads reached the source.
    const auto trace = server_->TraceLines();
    ASSERT_GT(trace.size(), before);
    for (std::size_t i = before; i < trace.size(); ++i)
        EXPECT_NE(trace[i].find("\"text\":\"select "), std::string::npos) << trace[i];

    // A folder that holds a database is left as it is, with nothing added.
    const auto size = fs::file_size(dir / "snapshot.bin");
    EXPECT_THROW(CloneDatabase(Options(dir)), std::runtime_error);
    EXPECT_EQ(fs::file_size(dir / "snapshot.bin"), size);
    for (const auto& entry : fs::directory_iterator(dir))
        EXPECT_EQ(entry.path().filename().string().find(".sqlstandin-clone"), std::string::npos);

    // Stopped, the source's folder can be read in-process as the copy's is.
    ASSERT_EQ(server_->Stop(), 0);
    EngineReader source(server_->DatabaseDir());
    EngineReader copy(dir);
    SourceCatalogue sourceCatalogue = ReadCatalogue(source.Reader());
    SourceCatalogue copyCatalogue = ReadCatalogue(copy.Reader());
    for (SourceCatalogue* c : {&sourceCatalogue, &copyCatalogue})
        for (SourceTable& t : c->tables) t.id = 0;  // an id a copy cannot and need not keep
    EXPECT_EQ(CatalogueText(copyCatalogue), CatalogueText(sourceCatalogue));
    // The identity values the copy hands out next are the source's.
    EXPECT_NE(CatalogueText(copyCatalogue).find("identity\tlib_big\tbg_no\tcurrent 512090\n"),
              std::string::npos);
    EXPECT_NE(CatalogueText(copyCatalogue).find("identity\tlib_moved\tmv_no\tcurrent 10\n"),
              std::string::npos);
    EXPECT_EQ(AllRows(copy, copyCatalogue), AllRows(source, sourceCatalogue));
}

}  // namespace
}  // namespace standin::clone
