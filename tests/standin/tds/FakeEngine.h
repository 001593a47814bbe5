#pragma once
// An engine with canned answers, so the TDS server can be driven by real clients independently
// of the SQL engine. Batches it knows (the whole text, surrounding blanks ignored):
//   select 1        one unnamed int column, value 1
//   select many N   N rows of an int and a varchar(20)
//   error           fails with 208 "Invalid object name 'nosuch'."
//   multi           an update of 3 rows, a one-row select, then a failed statement (515 + 3621)
//   waitfor         sleeps 1.3 s, then answers like "select 1"
//   unsendable      a result whose int value does not fit its column (an engine fault)
//   throw           the engine throws
// Anything else succeeds with no result set and no row count (as SET does).

#include <string>

#include "Engine.h"

namespace standin::test {

class FakeEngine : public Engine {
public:
    explicit FakeEngine(std::string saPassword) : saPassword_(std::move(saPassword)) {}

    BatchOutcome ExecuteBatch(Session& session, std::string_view sqlUtf8) override;
    bool CheckLogin(std::string_view user, std::string_view password) const override;
    void Checkpoint() override {}

private:
    std::string saPassword_;
};

}  // namespace standin::test
