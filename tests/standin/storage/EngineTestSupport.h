#pragma once
// Running statements on an Engine in tests and reading results as plain strings.

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "Engine.h"

namespace standin::testing {

inline std::string Render(const Value& v) {
    if (IsNull(v)) return "NULL";
    if (const auto* i = std::get_if<std::int64_t>(&v)) return std::to_string(*i);
    if (const auto* s = std::get_if<std::string>(&v)) return *s;
    if (const auto* d = std::get_if<DateTime>(&v))
        return std::to_string(d->days) + ":" + std::to_string(d->ticks);
    const auto& dec = std::get<Decimal>(v);
    return std::to_string(static_cast<long long>(dec.unscaled)) + "e-" + std::to_string(dec.scale);
}

// Runs a batch and fails the test on any error.
inline BatchOutcome Exec(Engine& engine, std::string_view sql, Session session = {}) {
    BatchOutcome outcome = engine.ExecuteBatch(session, sql);
    for (const StatementOutcome& s : outcome.statements)
        for (const SqlMessage& m : s.messages)
            ADD_FAILURE() << sql << ": Msg " << m.number << ": " << m.text;
    return outcome;
}

// The rows of the batch's first result set, each row's values joined by '|'.
inline std::vector<std::string> Rows(Engine& engine, std::string_view select) {
    std::vector<std::string> rows;
    const BatchOutcome outcome = Exec(engine, select);
    for (const StatementOutcome& s : outcome.statements) {
        if (!s.resultSet) continue;
        for (const auto& row : s.resultSet->rows) {
            std::string line;
            for (std::size_t i = 0; i < row.size(); ++i) line += (i ? "|" : "") + Render(row[i]);
            rows.push_back(line);
        }
        break;
    }
    return rows;
}

}  // namespace standin::testing
