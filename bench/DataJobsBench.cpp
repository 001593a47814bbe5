// The two data jobs through the full stack (the real upgrade form, our ODBC layer, unixODBC,
// FreeTDS, sqlstandin on loopback): the ISSN import of a generated issn.dat and the arrival
// schedule over generated subscription pairs. Prints each job's seconds and statements per
// second beside the round-trip rate of `select 1` measured in the same run on the same path.
// Usage: data_jobs_bench [ISSN_LINES] [PAIRS]   (default 20000 5000)

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "IssnLine.h"
#include "StandinServer.h"
#include "TApplication.h"
#include "TDatabase.h"
#include "frmUpKavelMain.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A plausible ISSN with its check digit.
std::string Issn(std::mt19937& random) {
    std::string digits;
    int sum = 0;
    for (int i = 0; i < 7; ++i) {
        const int d = static_cast<int>(random() % 10);
        digits += static_cast<char>('0' + d);
        sum += d * (8 - i);
    }
    const int check = (11 - sum % 11) % 11;
    return digits.substr(0, 4) + "-" + digits.substr(4) +
           (check == 10 ? 'X' : static_cast<char>('0' + check));
}

std::string Padded(std::string text, std::size_t width) {
    text.resize(width, ' ');
    return text;
}

// issn.dat of `lines` distinct codes; one line in ten repeats an earlier code (a fill-in).
void WriteIssnDat(const QString& folder, int lines) {
    std::mt19937 random(7);
    std::string bytes;
    for (int i = 0; i < lines; ++i) {
        const int n = i % 10 == 9 ? i - 5 : i;
        std::string code = std::to_string(n % 10);
        code += '-';
        code += std::to_string(100000 + n);
        const std::string cn =
            std::to_string(11 + n % 50) + "-" + std::to_string(1000 + n % 9000) + "/G4";
        bytes += kavel::EncodeIssnLine(Padded(code, 10) + " " + Issn(random) + " " + cn) + "\r\n";
    }
    QFile file(QDir(folder).filePath("issn.dat"));
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
            static_cast<qint64>(bytes.size()))
        throw std::runtime_error("cannot write issn.dat");
}

// lib_bkzd with `pairs` subscription pairs (a second row for one pair in three) and a register
// row of the old layout for each pair, as T-SQL for `sqlstandin init`.
std::string SubscriptionsSql(int pairs) {
    static const char* kPeriods[] = {"月", "季", "双月", "半月", "周",
                                     "年", "旬", "双周", "半年", "日"};
    std::string sql =
        "create table lib_bkzd (zd_no int NOT NULL IDENTITY (1, 1), zd_code char(10) NOT NULL, "
        "zd_mark char(2) default(''), zd_period char(4) default(''), zd_bdate datetime, "
        "zd_edate datetime, zd_number numeric(4,0) default(0))\nGO\n"
        "alter table lib_bkzd add constraint PK_lib_bkzd primary key nonclustered (zd_no)\nGO\n"
        "create table lib_bkqs (qs_code char(10) NOT NULL, qs_mark char(2) default(''), "
        "qs_notice text default(''))\nGO\n";
    std::string subscriptions, register_;
    int rowsInBatch = 0;
    auto flush = [&] {
        if (rowsInBatch == 0) return;
        sql +=
            "insert into lib_bkzd (zd_code, zd_mark, zd_period, zd_bdate, zd_edate, zd_number) "
            "values " +
            subscriptions + "\nGO\ninsert into lib_bkqs (qs_code, qs_mark, qs_notice) values " +
            register_ + "\nGO\n";
        subscriptions.clear();
        register_.clear();
        rowsInBatch = 0;
    };
    for (int p = 0; p < pairs; ++p) {
        std::string code = "'";
        code += std::to_string(p % 9 + 1);
        code += '-';
        code += std::to_string(10000 + p);
        code += '\'';
        const std::string mark = "'0" + std::to_string(p % 3) + "'";
        const std::string period = std::string("'") + kPeriods[p % 10] + "'";
        const std::string year = std::to_string(2004 + p % 6);
        auto add = [&](const std::string& row) {
            if (!subscriptions.empty()) subscriptions += ", ";
            subscriptions += row;
        };
        add("(" + code + ", " + mark + ", " + period + ", '" + year + "-01-01', '" + year +
            "-12-31', 2)");
        if (p % 3 == 0)
            add("(" + code + ", " + mark + ", " + period + ", '" + year + "-04-01', '" + year +
                "-06-30', 1)");
        if (!register_.empty()) register_ += ", ";
        register_ += "(" + code + ", " + mark + ", '1:2;')";
        if (++rowsInBatch == 300) flush();
    }
    flush();
    return sql;
}

struct JobFigures {
    double seconds;
    std::size_t statements;
};

template <class Job>
JobFigures Measure(const standin::test::StandinServer& server, Job job) {
    const std::size_t before = server.TraceLines().size();
    const auto start = Clock::now();
    job();
    const double seconds = SecondsSince(start);
    return {seconds, server.TraceLines().size() - before};
}

void Print(const char* name, const JobFigures& f, double selectRate) {
    const double rate = static_cast<double>(f.statements) / f.seconds;
    std::printf("  %-34s %8.2f s %8zu statements %9.0f per second  (%.2f x select 1)\n", name,
                f.seconds, f.statements, rate, rate / selectRate);
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    const int issnLines = argc > 1 ? std::atoi(argv[1]) : 20000;
    const int pairs = argc > 2 ? std::atoi(argv[2]) : 5000;
    try {
        standin::test::StandinServerOptions options;
        options.fixtureSql = SubscriptionsSql(pairs);
        standin::test::StandinServer server(options);
        kavel::TDatabase database;
        database.AliasName = server.DsnName();
        database.DatabaseName = "LibDB";
        database.Params = {"USER NAME=sa", "PASSWORD=" + server.SaPassword()};
        database.Open();

        QTemporaryDir folder;
        WriteIssnDat(folder.path(), issnLines);
        kavel::TUpKavelMain form(database);
        form.Runner.ProgramFolder = folder.path().toStdString();

        // select 1 through the same form, queries and stack, for about three seconds before,
        // between and after the jobs: each job is compared with the mean of the rates around it,
        // so that a change of load on a shared machine shows instead of skewing the ratio.
        auto selectRate = [&] {
            long selects = 0;
            const auto start = Clock::now();
            while (SecondsSince(start) < 3.0)
                for (int k = 0; k < 50; ++k, ++selects)
                    form.Runner.OpenAndTest(form.Runner.qrTmp, {"select 1"});
            return static_cast<double>(selects) / SecondsSince(start);
        };
        const double selects1 = selectRate();
        const JobFigures issn = Measure(server, [&] { form.Runner.DoCodeIssnWork(); });
        const double selects2 = selectRate();
        const JobFigures schedule = Measure(server, [&] { form.Runner.DoQianDao(); });
        const double selects3 = selectRate();

        std::printf(
            "data jobs through the upgrade form, ODBC, FreeTDS and sqlstandin on loopback\n");
        std::printf("  %-34s %29s %9.0f %9.0f %9.0f per second (before, between, after)\n",
                    "select 1 round trips", "", selects1, selects2, selects3);
        Print(("ISSN import, " + std::to_string(issnLines) + " lines").c_str(), issn,
              (selects1 + selects2) / 2);
        Print(("arrival schedule, " + std::to_string(pairs) + " pairs").c_str(), schedule,
              (selects2 + selects3) / 2);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "data_jobs_bench: %s\n", e.what());
        return 1;
    }
}
