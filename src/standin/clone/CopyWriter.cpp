#include "clone/CopyWriter.h"

#include <cstdint>
#include <stdexcept>

#include "exec/TextFormat.h"

namespace standin::clone {
namespace {

// The first error of a batch as "Msg N: text", or empty when every statement succeeded.
std::string FirstError(const BatchOutcome& outcome) {
    for (const StatementOutcome& s : outcome.statements)
        if (s.failed)
            for (const SqlMessage& m : s.messages)
                if (m.severity > 10) return "Msg " + std::to_string(m.number) + ": " + m.text;
    return {};
}

}  // namespace

// The copy is written to a folder nobody opens until it is complete, and then checkpointed once:
// the snapshots the engine writes as its log grows each wrote the whole copy so far again, which
// took a third of a large library's clone.
CopyWriter::CopyWriter(const std::filesystem::path& dir) {
    EngineOptions options;
    options.checkpointLogBytes = UINT64_MAX;
    engine_ = Engine::Open(dir, options);
}

void CopyWriter::Run(const std::string& sql) {
    const std::string error = FirstError(engine_->ExecuteBatch(session_, sql));
    if (!error.empty()) {
        const std::string shown = sql.size() > 300 ? sql.substr(0, 300) + " ..." : sql;
        throw std::runtime_error(error + "\n  in: " + shown);
    }
}

TextRows CopyWriter::Query(const std::string& sql) {
    BatchOutcome outcome = engine_->ExecuteBatch(session_, sql);
    const std::string error = FirstError(outcome);
    if (!error.empty()) throw std::runtime_error(error + "\n  in: " + sql);
    TextRows rows;
    for (const StatementOutcome& s : outcome.statements) {
        if (!s.resultSet) continue;
        for (const auto& r : s.resultSet->rows) {
            auto& row = rows.emplace_back();
            for (const Value& v : r) {
                if (std::holds_alternative<std::monostate>(v))
                    row.emplace_back();
                else
                    row.emplace_back(FormatValue(v));
            }
        }
        break;
    }
    return rows;
}

}  // namespace standin::clone
