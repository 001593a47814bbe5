// sqlstandin clone of a live database served by sqlstandin over unixODBC + FreeTDS: rows per
// second of the whole copy (read, write, keys), beside the rate of reading the same rows alone.
// Usage: clone_bench [ROWS]   (default 50000)

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

#include "OdbcStatement.h"
#include "StandinServer.h"
#include "TDatabase.h"
#include "clone/CloneDatabase.h"

namespace {

// A catalogue table of the shape of lib_bianma: an identity key, codes, Chinese titles, numbers,
// a date, a nullable note; `rows` rows made by doubling.
std::string SourceSql(int rows) {
    std::ostringstream sql;
    sql << "create table lib_bianma (bm_no int NOT NULL IDENTITY (1, 1), bm_code char(10) NOT NULL,"
           " bm_year numeric(4,0) NULL default(0), bm_order char(10) NOT NULL default(''),"
           " bm_name char(40) NULL default(''), bm_number numeric(4,0) NULL default(0),"
           " bm_price numeric(7,2) NULL default(0), bm_date datetime NULL default(getdate()),"
           " bm_flag char(1) NULL default('0'), bm_note varchar(60) NULL)\nGO\n"
           "insert into lib_bianma (bm_code, bm_year, bm_order, bm_name, bm_number, bm_price, "
           "bm_date,"
           " bm_note) values ";
    for (int k = 1; k <= 50; ++k)
        sql << (k > 1 ? ", " : "") << "('" << 1000 + k << "', 2005, 'A" << k
            << "', N'中国图书馆学报第" << k << "期', " << k << ", " << k
            << ".25, '2005-03-01 10:30:00', " << (k % 3 ? "N'备注'" : "NULL") << ")";
    sql << "\nGO\n";
    for (int have = 50; have < rows; have *= 2)
        sql << "insert into lib_bianma (bm_code, bm_year, bm_order, bm_name, bm_number, bm_price,"
               " bm_date, bm_note) select bm_code, bm_year, bm_order, bm_name, bm_number, bm_price,"
               " bm_date, bm_note from lib_bianma\nGO\n";
    sql << "delete from lib_bianma where bm_no > " << rows << "\n"
        << "alter table lib_bianma add constraint PK_lib_bianma primary key nonclustered (bm_no)\n"
        << "create index lib_bianma_code on lib_bianma (bm_code) with pad_index, fillfactor = "
           "85\nGO\n";
    return sql.str();
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv) {
    const int rows = argc > 1 ? std::atoi(argv[1]) : 50000;
    try {
        standin::test::StandinServerOptions serverOptions;
        serverOptions.fixtureSql = SourceSql(rows);
        standin::test::StandinServer server(serverOptions);

        kavel::TDatabase source;
        standin::clone::ConnectSource(source, {server.DsnName(), "sa", server.SaPassword()});
        auto start = std::chrono::steady_clock::now();
        kavel::OdbcStatement read(source.Handle());
        read.Execute("select * from lib_bianma");
        long long seen = 0;
        while (read.Fetch()) {
            for (SQLUSMALLINT c = 1; c <= 10; ++c) read.Text(c);
            ++seen;
        }
        const double readSeconds = Seconds(start);

        standin::clone::CloneOptions options;
        options.dir = server.Folder() / "copy";
        options.source = {server.DsnName(), "sa", server.SaPassword()};
        options.saPassword = "Copy#1";
        options.progress = stderr;
        start = std::chrono::steady_clock::now();
        const auto outcome = standin::clone::CloneDatabase(options);
        const double cloneSeconds = Seconds(start);

        std::printf("rows read through ODBC alone:  %lld in %.2f s, %.0f rows/s\n", seen,
                    readSeconds, static_cast<double>(seen) / readSeconds);
        std::printf("clone (catalogue, rows, keys): %lld in %.2f s, %.0f rows/s\n",
                    static_cast<long long>(outcome.rowsCopied), cloneSeconds,
                    static_cast<double>(outcome.rowsCopied) / cloneSeconds);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "clone_bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
