#include "clone/CopyProgress.h"

#include <unistd.h>

namespace standin::clone {

std::string Grouped(std::int64_t n) {
    std::string digits = std::to_string(n < 0 ? -n : n), out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return n < 0 ? "-" + out : out;
}

CopyProgress::CopyProgress(std::FILE* out)
    : out_(out), live_(::isatty(::fileno(out)) != 0), started_(Clock::now()) {}

void CopyProgress::StartTable(const std::string& name, std::int64_t expectedRows) {
    table_ = name;
    expected_ = expectedRows;
    rows_ = 0;
    tableStarted_ = lastPrint_ = Clock::now();
    if (live_) Print(false);
}

void CopyProgress::Advance(std::int64_t rows) {
    rows_ += rows;
    totalRows_ += rows;
    if (live_ && Clock::now() - lastPrint_ > std::chrono::milliseconds(200)) Print(false);
}

void CopyProgress::EndTable() { Print(true); }

double CopyProgress::TotalSeconds() const {
    return std::chrono::duration<double>(Clock::now() - started_).count();
}

void CopyProgress::Print(bool final) {
    lastPrint_ = Clock::now();
    const double seconds = std::chrono::duration<double>(lastPrint_ - tableStarted_).count();
    const auto rate =
        seconds > 0.001 ? static_cast<std::int64_t>(static_cast<double>(rows_) / seconds) : 0;
    std::fprintf(out_, "%s  %-24s %12s / %-12s rows %10s rows/s %7.1f s%s", live_ ? "\r" : "",
                 table_.c_str(), Grouped(rows_).c_str(), Grouped(expected_).c_str(),
                 Grouped(rate).c_str(), seconds, final ? "\n" : "");
    std::fflush(out_);
}

}  // namespace standin::clone
