#pragma once
// Running statements on an Engine in tests.

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "Engine.h"
#include "exec/TextFormat.h"

namespace standin::testing {

// Runs a batch in a session of its own, fails the test on any message, and returns what
// `sqlstandin exec` prints for it.
inline std::string Exec(Engine& engine, std::string_view sql) {
    Session session;
    const BatchOutcome outcome = engine.ExecuteBatch(session, sql);
    for (const StatementOutcome& s : outcome.statements)
        for (const SqlMessage& m : s.messages)
            ADD_FAILURE() << sql << ": Msg " << m.number << ": " << m.text;
    return FormatOutcome(outcome);
}

}  // namespace standin::testing
