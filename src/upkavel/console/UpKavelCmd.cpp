// The upgrade without a window, for a remote shell or many sites in a row. The same settings as
// the window (registry, or the .reg file named by KAVEL_HKLM), the same runner and statements;
// --backed-up stands for the window's backup box, --with-earlier for "同时升级以前所有的系统升级".
//
// Every run is appended to the journal UpKavel.log (RunJournal.h), whose path is printed at the
// end.
//
// Exit codes: 0 the upgrade succeeded; 1 it failed (the server's message, the step and the
// statement are printed); 2 bad options, or no --backed-up; 3 no connection to the database.

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "ConnectionSettings.h"
#include "ConsoleReports.h"
#include "ProgramFolder.h"
#include "RunJournal.h"
#include "TDatabase.h"
#include "UpgradeRunner.h"

namespace {

using namespace kavel;

constexpr int kSucceeded = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;
constexpr int kNoConnection = 3;

constexpr const char* kUsageLine = "usage: UpKavelCmd --backed-up [--with-earlier]\n";

constexpr const char* kHelp =
    "usage: UpKavelCmd --backed-up [--with-earlier]\n"
    "\n"
    "Upgrades the Kavel database of this site in place, as the upgrade window does, without a\n"
    "window. Connection settings come from HKEY_LOCAL_MACHINE\\SOFTWARE\\KorvenSoft\\Kavel\n"
    "(elsewhere than Windows, from the .reg file named by KAVEL_HKLM); without that key, the\n"
    "data source KavelODBC as user sa. issn.dat is read from the folder of this program.\n"
    "\n"
    "  --backed-up     the database has been backed up (required: the upgrade changes it in\n"
    "                  place and cannot be undone)\n"
    "  --with-earlier  also run every earlier upgrade (the box 同时升级以前所有的系统升级)\n"
    "  --help          this text\n"
    "\n"
    "Exit status: 0 upgraded; 1 the upgrade failed; 2 bad options or no --backed-up;\n"
    "3 no connection to the database.\n";

constexpr const char* kConnectionFailed = "数据库连接失败，请检查通信参数或服务器状态！";

struct Options {
    bool backedUp = false;
    bool withEarlier = false;
    bool help = false;
};

// False, with the offending argument in `bad`, when an argument is not an option of ours.
bool ParseOptions(int argc, char** argv, Options& options, std::string& bad) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--backed-up") == 0) {
            options.backedUp = true;
        } else if (std::strcmp(arg, "--with-earlier") == 0) {
            options.withEarlier = true;
        } else if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            options.help = true;
        } else {
            bad = arg;
            return false;
        }
    }
    return true;
}

bool IsTerminal(std::FILE* stream) {
#ifdef _WIN32
    return _isatty(_fileno(stream)) != 0;
#else
    return isatty(fileno(stream)) != 0;
#endif
}

// Connects `libDB` as the window's data module does; false, with the reason printed and
// journalled, when it cannot (settings unreadable, data source or login refused, server
// unreachable).
bool Connect(TDatabase& libDB, RunJournal& journal, bool withEarlier) {
    bool headed = false;
    try {
        SetDefaultConnection(libDB);
        ApplyConnectionSettings(libDB);
        journal.Header("UpKavelCmd", libDB, withEarlier);
        headed = true;
        libDB.SetConnected(true);
        return true;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n%s\n", kConnectionFailed, e.what());
        if (!headed) journal.Header("UpKavelCmd", libDB, withEarlier);
        journal.Line(std::string("connection FAILED: ") + e.what());
    }
    return false;
}

// A statement as sent (every line ending in CR LF) with the line ends of this console.
std::string AsLines(const std::string& statement) {
    std::string text;
    for (char c : statement)
        if (c != '\r') text += c;
    return text;
}

int Upgrade(const Options& options, RunJournal& journal) {
    TDatabase libDB;
    if (!Connect(libDB, journal, options.withEarlier)) return kNoConnection;
    std::printf("connected to data source %s\n", libDB.AliasName.c_str());

    ConsoleReports reports(stdout, IsTerminal(stdout));
    TUpgradeRunner runner(libDB, reports, reports);
    runner.ProgramFolder = FolderOfThisProgram();
    runner.SetJournal(&journal);
    try {
        runner.RunUpgrade(options.withEarlier);
        return kSucceeded;
    } catch (const std::exception& e) {
        reports.EndProgressLine();
        // The text the window's error box shows, then where it happened.
        std::fprintf(stderr, "%s\n", e.what());
        if (!runner.CurrentStep().empty())
            std::fprintf(stderr, "step: %s\n", runner.CurrentStep().c_str());
        if (!runner.FailedStatement().empty())
            std::fprintf(stderr, "statement:\n%s", AsLines(runner.FailedStatement()).c_str());
        std::fprintf(stderr, "the upgrade stopped; what ran before this statement stays done\n");
    }
    return kFailed;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    SetConsoleOutputCP(CP_UTF8);
#endif
    Options options;
    std::string bad;
    if (!ParseOptions(argc, argv, options, bad)) {
        std::fprintf(stderr, "UpKavelCmd: unknown option '%s'\n%s", bad.c_str(), kUsageLine);
        return kUsage;
    }
    if (options.help) {
        std::fputs(kHelp, stdout);
        return kSucceeded;
    }
    if (!options.backedUp) {
        std::fprintf(stderr,
                     "UpKavelCmd: back up the database first, then run again with --backed-up: "
                     "the upgrade changes it in place and cannot be undone.\n%s",
                     kUsageLine);
        return kUsage;
    }
    RunJournal journal(RunJournal::DefaultFolder());
    const int status = Upgrade(options, journal);
    // A journal that could not be written changed nothing of the run; one line says so.
    if (journal.Ok())
        std::printf("journal: %s\n", journal.Path().c_str());
    else
        std::fprintf(stderr, "UpKavelCmd: no journal of this run: %s\n", journal.Problem().c_str());
    return status;
}
