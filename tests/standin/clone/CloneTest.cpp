// sqlstandin clone on a stand-in served over TDS, read through unixODBC + FreeTDS as a live
// SQL Server would be: the copy has the source's tables, columns, identity settings and current
// values, defaults, keys, indexes and rows; the source receives only reads; the copy appears
// whole or not at all.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sstream>
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

constexpr int kBigRows = 50000;

// Every type, identity, default, key and index kind the upgrade uses; Chinese text, quotes,
// NULLs, trailing blanks, a long text value; 50,000 rows in a table whose last identity values
// were deleted; an empty table whose identity has moved; a table without identity.
std::string SourceSql(int bigRows) {
    std::ostringstream sql;
    sql << "create table lib_all (\n"
           "  al_no int NOT NULL IDENTITY (1, 1),\n"
           "  al_code char(10) NOT NULL default(''),\n"
           "  al_name varchar(40) NULL,\n"
           "  al_note text NULL,\n"
           "  al_small smallint NULL default(0),\n"
           "  al_tiny tinyint NULL,\n"
           "  al_flag bit NULL,\n"
           "  al_price numeric(7,2) NULL default(0),\n"
           "  al_rate decimal(9,4) NULL,\n"
           "  al_date datetime NULL default(getdate()),\n"
           "  al_mark char(1) NULL CONSTRAINT DF_lib_all_mark default('0'))\nGO\n"
           "alter table lib_all add constraint PK_lib_all primary key nonclustered (al_no)\n"
           "create index lib_all_code on lib_all (al_code, al_name) with pad_index, fillfactor = "
           "85\n"
           "insert into lib_all (al_code, al_name, al_note, al_small, al_tiny, al_flag, al_price, "
           "al_rate,"
           " al_date, al_mark) values\n"
           " ('0001', N'中国图书馆学报', N'季刊，每期长长长长长长长长长长', -32768, 255, 1, "
           "-99999.99,"
           " 12345.6789, '2005-03-01 12:34:56.997', '1'),\n"
           " ('it''s', 'trailing  ', '', 32767, 0, 0, 0.01, -0.0001, '1753-01-01', NULL),\n"
           " ('', NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, '0')\n"
           "insert into lib_all (al_code) values ('defaults')\n"
           "insert into lib_all (al_code, al_note) values ('long', '"
        << std::string(5000, 'x') << "')\nGO\n";
    sql << "create table lib_big (bg_no int NOT NULL IDENTITY (100, 10), bg_k int NOT NULL,"
           " bg_text varchar(20) NULL, bg_day datetime NULL)\nGO\n";
    sql << "insert into lib_big (bg_k, bg_text, bg_day) values ";
    for (int k = 1; k <= 50; ++k)
        sql << (k > 1 ? ", " : "") << "(" << k << ", "
            << (k % 7 == 0 ? "NULL" : "N'期刊" + std::to_string(k) + "'") << ", '2008-01-"
            << (k % 28 + 1) << " 10:30:00.003')";
    sql << "\nGO\n";
    for (int i = 0, rows = 50; rows < bigRows; ++i, rows *= 2)
        sql << "insert into lib_big (bg_k, bg_text, bg_day) select bg_k + " << rows
            << ", bg_text, bg_day + " << i + 1 << " from lib_big\nGO\n";
    sql << "delete from lib_big where bg_k > " << bigRows
        << "\n"
           "create unique index lib_big_k on lib_big (bg_k)\n"
           "create table ver_manage (vm_mess varchar(40) NOT NULL)\n"
           "insert into ver_manage values ('ZZ20070312.BKZD')\n"
           "create table lib_moved (mv_no int NOT NULL IDENTITY (5, 5), mv_v char(2) NULL)\n"
           "insert into lib_moved (mv_v) values ('a'), ('b')\n"
           "delete from lib_moved\nGO\n";
    return sql.str();
}

// The catalogue as text without object ids, which a copy cannot and need not keep.
std::string WithoutIds(const std::string& catalogue) {
    std::istringstream in(catalogue);
    std::string line, out;
    while (std::getline(in, line)) {
        if (line.rfind("table\t", 0) == 0) {
            const auto a = line.find('\t', 6), b = line.find('\t', a + 1);
            line.erase(a, b - a);
        }
        out += line + "\n";
    }
    return out;
}

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
    // Serves the source with `bigRows` rows in lib_big.
    void Start(int bigRows) {
        try {
            test::StandinServerOptions options;
            options.fixtureSql = SourceSql(bigRows);
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
    Start(kBigRows);
    if (IsSkipped()) return;
    const fs::path dir = server_->Folder() / "copy";
    const std::size_t before = server_->TraceLines().size();
    const CloneOutcome outcome = CloneDatabase(Options(dir));
    std::fputs(CloneReport(outcome, dir).c_str(), stdout);
    EXPECT_TRUE(outcome.usable);
    EXPECT_TRUE(outcome.catalogue.unreproduced.empty());
    EXPECT_EQ(outcome.tablesCopied, 4);
    EXPECT_EQ(outcome.rowsCopied, kBigRows + 5 + 1);

    // Only reads reached the source.
    const auto trace = server_->TraceLines();
    ASSERT_GT(trace.size(), before);
    for (std::size_t i = before; i < trace.size(); ++i)
        EXPECT_NE(trace[i].find("\"text\":\"select "), std::string::npos) << trace[i];

    // Stopped, the source's folder can be read in-process as the copy's is.
    ASSERT_EQ(server_->Stop(), 0);
    EngineReader source(server_->DatabaseDir());
    EngineReader copy(dir);
    const SourceCatalogue sourceCatalogue = ReadCatalogue(source.Reader());
    const SourceCatalogue copyCatalogue = ReadCatalogue(copy.Reader());
    EXPECT_EQ(WithoutIds(CatalogueText(copyCatalogue)), WithoutIds(CatalogueText(sourceCatalogue)));
    // The identity values the copy hands out next are the source's.
    EXPECT_NE(CatalogueText(copyCatalogue).find("identity\tlib_big\tbg_no\tcurrent 512090\n"),
              std::string::npos);
    EXPECT_NE(CatalogueText(copyCatalogue).find("identity\tlib_moved\tmv_no\tcurrent 10\n"),
              std::string::npos);
    EXPECT_EQ(AllRows(copy, copyCatalogue), AllRows(source, sourceCatalogue));
}

TEST_F(CloneTest, AFolderThatHoldsADatabaseIsLeftAsItIs) {
    Start(100);
    if (IsSkipped()) return;
    const fs::path dir = server_->Folder() / "copy";
    CloneDatabase(Options(dir));
    const auto size = fs::file_size(dir / "snapshot.bin");
    EXPECT_THROW(CloneDatabase(Options(dir)), std::runtime_error);
    EXPECT_EQ(fs::file_size(dir / "snapshot.bin"), size);
    for (const auto& entry : fs::directory_iterator(dir))
        EXPECT_EQ(entry.path().filename().string().find(".sqlstandin-clone"), std::string::npos);
}

TEST_F(CloneTest, ARefusedLoginLeavesNoFolder) {
    Start(100);
    if (IsSkipped()) return;
    const fs::path dir = server_->Folder() / "copy";
    CloneOptions o = Options(dir);
    o.source.password = "wrong";
    EXPECT_THROW(CloneDatabase(o), kavel::EDatabaseError);
    EXPECT_FALSE(fs::exists(dir));
}

}  // namespace
}  // namespace standin::clone
