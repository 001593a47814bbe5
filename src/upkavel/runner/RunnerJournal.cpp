// What the runner writes to the run's journal: the DDL it sends, every statement the server
// refuses, the long loops' counts, and (UpgradeDriver.cpp) steps, markers and the outcome.

#include <cstdio>

#include "DatabaseError.h"
#include "RunJournal.h"
#include "UpgradeRunner.h"

namespace kavel {
namespace {

// A statement as journal lines: its first line, the others indented below it.
std::string Indented(const std::string& statement) {
    std::string text;
    for (std::size_t i = 0; i < statement.size(); ++i) {
        if (statement[i] == '\r' && i + 1 < statement.size() && statement[i + 1] == '\n') continue;
        if (statement[i] == '\n') {
            if (i + 1 < statement.size()) text += "\n    ";
            continue;
        }
        text += statement[i];
    }
    return text;
}

// CREATE, ALTER and DROP change the schema: the journal keeps every one of them.
bool IsDdl(const std::string& statement) {
    std::string head;
    for (char c : statement) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            if (head.empty()) continue;
            break;
        }
        head += static_cast<char>(c | 0x20);
        if (head.size() > 6) break;
    }
    return head == "create" || head == "alter" || head == "drop";
}

}  // namespace

void TUpgradeRunner::Journal(const std::string& text) {
    if (journal_ != nullptr) journal_->Line(text);
}

void TUpgradeRunner::JournalSent(const std::string& statement) {
    if (journal_ != nullptr && IsDdl(statement)) Journal("sent: " + Indented(statement));
}

void TUpgradeRunner::JournalRefused(const std::string& statement, const EDatabaseError& error) {
    if (journal_ == nullptr) return;
    const long number = error.Diagnostics().empty() ? 0 : error.Diagnostics().front().nativeError;
    Journal("refused (Msg " + std::to_string(number) + "): " + error.what() + "\n    " +
            Indented(statement));
}

void TUpgradeRunner::Discarded() {
    ++discarded_;
    Journal("error discarded: the statement is protected, the step goes on");
}

TUpgradeRunner::LoopTally TUpgradeRunner::BeginLoop() const {
    return {std::chrono::steady_clock::now(), statements_, discarded_};
}

void TUpgradeRunner::EndLoop(const LoopTally& tally, const std::string& what, long long rows) {
    if (journal_ == nullptr) return;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - tally.start).count();
    char figures[160];
    std::snprintf(figures, sizeof figures,
                  ": %lld rows, %lld statements, %.2f s, %.0f rows/s, %lld errors discarded", rows,
                  statements_ - tally.statements, seconds, seconds > 0 ? rows / seconds : 0.0,
                  discarded_ - tally.discarded);
    Journal("loop " + what + figures);
}

}  // namespace kavel
