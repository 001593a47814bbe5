#include "StandinServer.h"

#include <fcntl.h>
#include <glob.h>
#include <odbcinst.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace standin::test {

namespace fs = std::filesystem;

namespace {

// Starts `args`, with standard output to `stdoutFd` and standard error appended to `logPath`.
// The child gets SIGTERM if the test process dies first, so a crashed test leaves no server behind.
pid_t Spawn(const std::vector<std::string>& args, int stdoutFd, const fs::path& logPath) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("cannot start " + args[0] + ": " + std::strerror(errno));
    if (pid == 0) {
        // Only async-signal-safe calls from here to exec.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) _exit(127);
        const int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (log < 0 || dup2(stdoutFd, STDOUT_FILENO) < 0 || dup2(log, STDERR_FILENO) < 0)
            _exit(127);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

fs::path DefaultProgram() {
#ifdef SQLSTANDIN_PATH
    return SQLSTANDIN_PATH;
#else
    throw std::runtime_error("the path of sqlstandin was not compiled in");
#endif
}

fs::path MakeTempFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/standin-test-XXXXXX";
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary folder: " +
                                 std::string(std::strerror(errno)));
    return pattern;
}

// unixODBC keeps the folder that ODBCSYSINI named when it first read it, and reads
// odbcinst.ini there again once its 20-second cache has expired. So the driver definition lives
// in one folder for the whole process; were it in a server's own folder, every connection made
// 20 s after the first server was gone would fail with "Data source name not found".
const fs::path& DriverDefinitionFolder() {
    static const struct Folder {
        fs::path path = MakeTempFolder();
        ~Folder() {
            std::error_code ec;
            if (!std::getenv("KAVEL_KEEP_TEST_DIRS")) fs::remove_all(path, ec);
        }
    } folder;
    return folder.path;
}

}  // namespace

fs::path FindFreeTdsDriver() {
    if (const char* env = std::getenv("KAVEL_TDSODBC_DRIVER"); env && *env) {
        if (fs::exists(env)) return env;
        throw std::runtime_error(std::string("KAVEL_TDSODBC_DRIVER names a missing file: ") + env);
    }
    for (const char* pattern : {"/usr/lib/*/odbc/libtdsodbc.so", "/usr/lib/odbc/libtdsodbc.so",
                                "/usr/lib/*/libtdsodbc.so", "/usr/lib64/libtdsodbc.so",
                                "/usr/lib/libtdsodbc.so", "/usr/local/lib/libtdsodbc.so"}) {
        glob_t g{};
        const bool found = glob(pattern, 0, nullptr, &g) == 0 && g.gl_pathc > 0;
        fs::path path = found ? fs::path(g.gl_pathv[0]) : fs::path();
        globfree(&g);
        if (found) return path;
    }
    throw std::runtime_error(
        "the FreeTDS ODBC driver libtdsodbc.so is not installed (Debian package tdsodbc)");
}

StandinServer::StandinServer(StandinServerOptions options) : options_(std::move(options)) {
    if (options_.program.empty()) options_.program = DefaultProgram();
    folder_ = MakeTempFolder();
    databaseDir_ = folder_ / "db";
    traceFile_ = folder_ / "trace.jsonl";
    serverLog_ = folder_ / "server.log";
    try {
        RunInit();
        Start();
        WriteClientConfiguration();
    } catch (...) {
        if (pid_ > 0) Kill();
        std::error_code ec;
        if (!std::getenv("KAVEL_KEEP_TEST_DIRS")) fs::remove_all(folder_, ec);
        throw;
    }
}

StandinServer::~StandinServer() {
    if (pid_ > 0) Stop();
    std::error_code ec;
    if (!std::getenv("KAVEL_KEEP_TEST_DIRS")) fs::remove_all(folder_, ec);
}

void StandinServer::RunInit() const {
    std::vector<std::string> args{options_.program.string(), "init", databaseDir_.string(),
                                  "--sa-password", options_.saPassword};
    if (!options_.fixtureSql.empty()) {
        const fs::path script = folder_ / "fixture.sql";
        WriteFile(script, options_.fixtureSql);
        args.insert(args.end(), {"--script", script.string()});
    }
    for (const auto& s : options_.fixtureScripts)
        args.insert(args.end(), {"--script", fs::absolute(s).string()});
    if (!options_.extraScriptSql.empty()) {
        const fs::path script = folder_ / "extra.sql";
        WriteFile(script, options_.extraScriptSql);
        args.insert(args.end(), {"--script", script.string()});
    }

    const fs::path log = folder_ / "init.log";
    const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (out < 0) throw std::runtime_error("cannot create " + log.string());
    pid_t pid = -1;
    try {
        pid = Spawn(args, out, log);
    } catch (...) {
        close(out);
        throw;
    }
    close(out);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("sqlstandin init failed:\n" + ReadFile(log));
}

void StandinServer::Start() {
    if (pid_ > 0) throw std::logic_error("the server is already running");
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) throw std::runtime_error("cannot create a pipe");
    std::vector<std::string> args{options_.program.string(),
                                  "serve",
                                  databaseDir_.string(),
                                  "--listen",
                                  "127.0.0.1:" + std::to_string(port_),
                                  "--trace",
                                  traceFile_.string()};
    if (options_.fsync) args.push_back("--fsync");
    try {
        pid_ = Spawn(args, pipeFds[1], serverLog_);
    } catch (...) {
        close(pipeFds[0]);
        close(pipeFds[1]);
        throw;
    }
    close(pipeFds[1]);
    stdoutFd_ = pipeFds[0];

    // The first line of standard output is the port.
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (line.find('\n') == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd p{stdoutFd_, POLLIN, 0};
        const int n = left.count() > 0 ? poll(&p, 1, static_cast<int>(left.count())) : 0;
        if (n < 0 && errno == EINTR) continue;
        char buf[64];
        const ssize_t got = n > 0 ? read(stdoutFd_, buf, sizeof buf) : 0;
        if (got <= 0) {
            Kill();
            throw std::runtime_error("sqlstandin serve did not report its port:\n" +
                                     ServerLogText());
        }
        line.append(buf, static_cast<std::size_t>(got));
    }
    const unsigned long port = std::stoul(line);
    if (port == 0 || port > 65535) {
        Kill();
        throw std::runtime_error("sqlstandin serve reported port '" + line + "'");
    }
    port_ = static_cast<std::uint16_t>(port);
}

int StandinServer::Wait(int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int status = 0;
        const pid_t r = waitpid(pid_, &status, WNOHANG);
        if (r == pid_) {
            pid_ = -1;
            if (stdoutFd_ >= 0) close(stdoutFd_);
            stdoutFd_ = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        if (r < 0 && errno != EINTR) {
            pid_ = -1;
            return -1;
        }
        if (std::chrono::steady_clock::now() >= deadline) return -2;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

int StandinServer::Stop() {
    if (pid_ <= 0) return -1;
    kill(pid_, SIGTERM);
    const int status = Wait(10000);
    if (status != -2) return status;
    kill(pid_, SIGKILL);
    return Wait(10000);
}

void StandinServer::Kill() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    Wait(10000);
}

void StandinServer::WriteClientConfiguration() const {
    const std::string port = std::to_string(port_);
    WriteFile(DriverDefinitionFolder() / "odbcinst.ini",
              "[ODBC]\nTrace = No\n\n[FreeTDS]\nDescription = FreeTDS\nDriver = " +
                  FindFreeTdsDriver().string() + "\n");
    std::string dsn = "[" + options_.dsnName +
                      "]\nDriver = FreeTDS\nServer = 127.0.0.1\nPort = " + port +
                      "\nTDS_Version = 7.4\nClientCharset = UTF-8\n";
    if (!options_.database.empty()) dsn += "Database = " + options_.database + "\n";
    WriteFile(folder_ / "odbc.ini", dsn);
    // FreeTDS stops at the first configuration file that has a section for the server, so the
    // section keeps it from reading ~/.freetds.conf or the system file.
    WriteFile(folder_ / "freetds.conf",
              "[global]\n\ttds version = 7.4\n\tclient charset = UTF-8\n\n[127.0.0.1]\n"
              "\thost = 127.0.0.1\n\tport = " +
                  port + "\n\ttds version = 7.4\n");
    setenv("ODBCSYSINI", DriverDefinitionFolder().c_str(), 1);
    setenv("ODBCINI", (folder_ / "odbc.ini").c_str(), 1);
    setenv("FREETDSCONF", (folder_ / "freetds.conf").c_str(), 1);
    setenv("FREETDS", folder_.c_str(), 1);
    // unixODBC caches what it reads from odbc.ini for 20 s under the file's logical name, so a
    // second server in the same process would be reached at the first one's port. Writing an
    // entry through unixODBC clears that cache.
    const std::string odbcIni = (folder_ / "odbc.ini").string();
    if (!SQLWritePrivateProfileString(options_.dsnName.c_str(), "Port", port.c_str(),
                                      odbcIni.c_str()))
        throw std::runtime_error("unixODBC could not update " + odbcIni);
}

std::string StandinServer::ConnectionString() const {
    // Braces quote a password that holds ';' or braces; a closing brace inside is doubled.
    std::string pwd = options_.saPassword;
    if (pwd.find_first_of(";{}") != std::string::npos) {
        std::string quoted = "{";
        for (char c : pwd) quoted += c == '}' ? std::string("}}") : std::string(1, c);
        pwd = quoted + "}";
    }
    return "DSN=" + options_.dsnName + ";UID=sa;PWD=" + pwd;
}

std::vector<std::string> StandinServer::TraceLines() const {
    std::vector<std::string> lines;
    std::ifstream in(traceFile_, std::ios::binary);
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) lines.push_back(line);
    return lines;
}

std::string StandinServer::ServerLogText() const { return ReadFile(serverLog_); }

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace standin::test
