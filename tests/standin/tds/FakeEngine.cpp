#include "FakeEngine.h"

#include <chrono>
#include <stdexcept>
#include <thread>

namespace standin::test {

namespace {

std::string_view Trimmed(std::string_view s) {
    const std::size_t first = s.find_first_not_of(" \r\n\t");
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(" \r\n\t") - first + 1);
}

StatementOutcome Select(ResultSet rs) {
    StatementOutcome s;
    s.rowCount = static_cast<std::int64_t>(rs.rows.size());
    s.resultSet = std::move(rs);
    return s;
}

StatementOutcome SelectOne() {
    return Select(ResultSet{{{"", SqlType{TypeId::Int}, false}}, {{Value{std::int64_t{1}}}}});
}

StatementOutcome Failure(std::vector<SqlMessage> messages) {
    StatementOutcome s;
    s.failed = true;
    s.messages = std::move(messages);
    return s;
}

StatementOutcome Many(long n) {
    ResultSet rs;
    rs.columns = {{"id", SqlType{TypeId::Int}}, {"name", SqlType{TypeId::VarChar, 20}}};
    for (long i = 0; i < n; ++i)
        rs.rows.push_back({std::int64_t{i}, std::string("row ") + std::to_string(i)});
    return Select(std::move(rs));
}

}  // namespace

bool FakeEngine::CheckLogin(std::string_view user, std::string_view password) const {
    return user == "sa" && password == saPassword_;
}

BatchOutcome FakeEngine::ExecuteBatch(Session&, std::string_view sqlUtf8) {
    const std::string_view sql = Trimmed(sqlUtf8);
    BatchOutcome out;
    if (sql == "select 1") {
        out.statements.push_back(SelectOne());
    } else if (sql.starts_with("select many ")) {
        out.statements.push_back(Many(std::stol(std::string(sql.substr(12)))));
    } else if (sql == "error") {
        out.statements.push_back(Failure({{208, 1, 16, "Invalid object name 'nosuch'.", 1}}));
    } else if (sql == "multi") {
        StatementOutcome update;
        update.rowCount = 3;
        out.statements.push_back(update);
        out.statements.push_back(SelectOne());
        out.statements.push_back(
            Failure({{515, 2, 16,
                      "Cannot insert the value NULL into column 'a', table 'kavel.dbo.t'; "
                      "column does not allow nulls. INSERT fails.",
                      3},
                     {3621, 0, 10, "The statement has been terminated.", 3}}));
    } else if (sql == "waitfor") {
        // Longer than the client's 1 s query timeout, so it cancels; but well within the second
        // timeout period FreeTDS then waits for the cancel's acknowledgement (sent once this
        // batch has been answered) before it gives the connection up.
        std::this_thread::sleep_for(std::chrono::milliseconds(1300));
        out.statements.push_back(SelectOne());
    } else if (sql == "unsendable") {
        out.statements.push_back(
            Select(ResultSet{{{"v", SqlType{TypeId::Int}}}, {{Value{std::int64_t{1} << 40}}}}));
    } else if (sql == "throw") {
        throw std::runtime_error("disk full");
    } else {
        out.statements.emplace_back();
    }
    return out;
}

}  // namespace standin::test
