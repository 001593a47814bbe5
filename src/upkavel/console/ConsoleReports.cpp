#include "ConsoleReports.h"

namespace kavel {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

// On a terminal the line is redrawn ten times a second; in a log, a line every five seconds.
constexpr milliseconds kTerminalInterval{100};
constexpr seconds kLogInterval{5};

}  // namespace

ConsoleReports::ConsoleReports(std::FILE* out, bool terminal) : out_(out), terminal_(terminal) {}

void ConsoleReports::EndProgressLine() {
    if (!lineOpen_) return;
    std::fputc('\n', out_);
    std::fflush(out_);
    lineOpen_ = false;
}

void ConsoleReports::ShowBar() {
    // A loop of its own follows (the ISSN import, the arrival schedule).
    EndProgressLine();
    done_ = total_ = 0;
}

void ConsoleReports::StepStarted(const std::string& step) {
    EndProgressLine();
    step_ = step;
    done_ = total_ = 0;
    std::fprintf(out_, "step %s\n", step.c_str());
    std::fflush(out_);
}

void ConsoleReports::MarkerRecorded(const std::string& marker) {
    EndProgressLine();
    std::fprintf(out_, "marker %s recorded\n", marker.c_str());
    std::fflush(out_);
}

void ConsoleReports::Recovered(const std::string& what) {
    EndProgressLine();
    std::fprintf(out_, "recovery: %s\n", what.c_str());
    std::fflush(out_);
}

void ConsoleReports::LoopStarted(std::size_t rows) {
    EndProgressLine();
    done_ = 0;
    total_ = rows;
    loopStart_ = lastPrinted_ = Clock::now();
}

void ConsoleReports::PumpMessages() {
    // A loop that did not announce itself (the ISSN file import) counts from its first item.
    if (done_ == 0 && total_ == 0) loopStart_ = lastPrinted_ = Clock::now();
    ++done_;
    const Clock::time_point now = Clock::now();
    if (now - lastPrinted_ >=
            (terminal_ ? Clock::duration(kTerminalInterval) : Clock::duration(kLogInterval)) ||
        (terminal_ && done_ == total_))
        PrintProgress(now);
}

void ConsoleReports::PrintProgress(Clock::time_point now) {
    lastPrinted_ = now;
    const double elapsed = std::chrono::duration<double>(now - loopStart_).count();
    const double rate = elapsed > 0 ? static_cast<double>(done_) / elapsed : 0;
    if (terminal_) std::fputs("\r\033[K", out_);
    if (total_ > 0)
        std::fprintf(out_, "  %s: %zu of %zu rows, %.0f rows/s", step_.c_str(), done_, total_,
                     rate);
    else
        std::fprintf(out_, "  %s: %zu rows, %.0f rows/s", step_.c_str(), done_, rate);
    if (terminal_) {
        lineOpen_ = true;
    } else {
        std::fputc('\n', out_);
    }
    std::fflush(out_);
}

int ConsoleReports::Show(const std::string& text, const std::string& caption, unsigned flags) {
    (void)caption;
    (void)flags;
    EndProgressLine();
    std::fprintf(out_, "%s\n", text.c_str());
    std::fflush(out_);
    return mb::kIdOk;
}

}  // namespace kavel
