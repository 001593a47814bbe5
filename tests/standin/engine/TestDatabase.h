#pragma once
// An in-memory database for engine tests: one session, getdate() fixed at 1900-01-01 00:00 unless
// a test sets its own clock, the log of applied statements, and the whole state as bytes for
// comparing states.

#include <string>
#include <string_view>
#include <vector>

#include "Database.h"
#include "exec/TextFormat.h"

namespace standin::testing {

struct TestDatabase {
    Database db;
    Session session;
    std::vector<AppliedStatement> applied;
    ExecContext ctx;

    TestDatabase() {
        ctx.clock = [] { return DateTime{}; };
        ctx.applied = &applied;
    }
    BatchOutcome Execute(std::string_view sql) { return db.ExecuteBatch(session, sql, ctx); }
    // What `sqlstandin exec` prints for the batch.
    std::string Run(std::string_view sql) { return FormatOutcome(Execute(sql)); }
};

}  // namespace standin::testing
