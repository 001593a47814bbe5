#include "RunJournal.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "TDatabase.h"

namespace kavel {
namespace {

namespace fs = std::filesystem;

constexpr std::uintmax_t kRotateAboveBytes = 10u * 1024 * 1024;

fs::path Utf8Path(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8Of(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

std::string HostName() {
#ifdef _WIN32
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    if (!GetComputerNameW(name, &size)) return "?";
    return Utf8Of(fs::path(std::wstring(name, size)));
#else
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0) return "?";
    return name;
#endif
}

// "2026-12-07 09:20:01.123", local time.
std::string Now() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000;
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &seconds);
#else
    localtime_r(&seconds, &local);
#endif
    char text[32];
    const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    char withMillis[40];
    std::snprintf(withMillis, sizeof withMillis, "%.*s.%03d", static_cast<int>(length), text,
                  static_cast<int>(millis));
    return withMillis;
}

}  // namespace

std::string RunJournal::DefaultFolder() {
#ifdef _WIN32
    const std::string base = Environment("LOCALAPPDATA");
    if (base.empty()) return {};
    return Utf8Of(Utf8Path(base) / "KorvenSoft" / "UpKavel");
#else
    std::string base = Environment("XDG_DATA_HOME");
    if (base.empty()) {
        const std::string home = Environment("HOME");
        if (home.empty()) return {};
        base = home + "/.local/share";
    }
    return base + "/KorvenSoft/UpKavel";
#endif
}

RunJournal::RunJournal(const std::string& folder) {
    if (folder.empty()) {
        Fail("no folder for the journal (no home folder)");
        return;
    }
    const fs::path dir = Utf8Path(folder);
    path_ = Utf8Of(dir / "UpKavel.log");
    std::error_code error;
    fs::create_directories(dir, error);
    if (error) {
        Fail("cannot create " + folder + ": " + error.message());
        return;
    }
    const fs::path log = dir / "UpKavel.log";
    const std::uintmax_t size = fs::file_size(log, error);
    if (!error && size > kRotateAboveBytes) {
        fs::rename(log, dir / "UpKavel.log.1", error);  // a failed rotation only grows the file
    }
#ifdef _WIN32
    file_ = _wfopen(log.c_str(), L"ab");
#else
    file_ = std::fopen(log.c_str(), "ab");
#endif
    if (file_ == nullptr)
        Fail("cannot open " + path_ + ": " + std::generic_category().message(errno));
}

RunJournal::~RunJournal() {
    if (file_ != nullptr) std::fclose(file_);
}

void RunJournal::Fail(const std::string& why) {
    if (problem_.empty()) problem_ = why;
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
}

void RunJournal::Header(const std::string& program, const TDatabase& libDB,
                        std::optional<bool> withEarlier) {
    std::string boxes;
    if (withEarlier)
        boxes = std::string("; backup confirmed, earlier upgrades ") +
                (*withEarlier ? "ticked" : "unticked");
    Line("== " + program + " " + KAVEL_VERSION + ", data source " + libDB.AliasName + ", user " +
         libDB.ParamValue("USER NAME") + ", host " + HostName() + boxes);
}

void RunJournal::Line(const std::string& text) {
    if (file_ == nullptr) return;
    const std::string line = Now() + "  " + text + "\n";
    if (std::fwrite(line.data(), 1, line.size(), file_) != line.size() || std::fflush(file_) != 0)
        Fail("cannot write " + path_ + ": " + std::generic_category().message(errno));
}

}  // namespace kavel
