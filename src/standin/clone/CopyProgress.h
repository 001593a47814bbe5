#pragma once
// The progress line of a clone on the terminal: rows copied of the table, rows per second.
// On a terminal one line is rewritten in place about five times a second; elsewhere (a log
// file) only each table's final line is written.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace standin::clone {

class CopyProgress {
public:
    explicit CopyProgress(std::FILE* out);

    void StartTable(const std::string& name, std::int64_t expectedRows);
    void Advance(std::int64_t rows);
    void EndTable();

    std::int64_t TotalRows() const { return totalRows_; }
    double TotalSeconds() const;

private:
    using Clock = std::chrono::steady_clock;
    void Print(bool final);

    std::FILE* out_;
    bool live_;
    std::string table_;
    std::int64_t expected_ = 0, rows_ = 0, totalRows_ = 0;
    Clock::time_point started_, tableStarted_, lastPrint_;
};

// 1234567 -> "1,234,567"
std::string Grouped(std::int64_t n);

}  // namespace standin::clone
