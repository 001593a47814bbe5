#include "FakeEngine.h"

#include <chrono>
#include <stdexcept>
#include <thread>

namespace standin::test {

namespace {

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() &&
           (s.front() == ' ' || s.front() == '\r' || s.front() == '\n' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() &&
           (s.back() == ' ' || s.back() == '\r' || s.back() == '\n' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
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

StatementOutcome EveryType() {
    ResultSet rs;
    rs.columns = {
        {"c_char", SqlType{TypeId::Char, 6}},
        {"c_varchar", SqlType{TypeId::VarChar, 10}},
        {"c_text", SqlType{TypeId::Text}},
        {"c_int", SqlType{TypeId::Int}},
        {"c_smallint", SqlType{TypeId::SmallInt}},
        {"c_tinyint", SqlType{TypeId::TinyInt}},
        {"c_bit", SqlType{TypeId::Bit}},
        {"c_numeric", SqlType{TypeId::Numeric, 0, 10, 2}},
        {"c_decimal", SqlType{TypeId::Decimal, 0, 38, 5}},
        {"c_datetime", SqlType{TypeId::DateTime}},
        {"c_long_text", SqlType{TypeId::Text}},
    };
    const Int128 big =
        static_cast<Int128>(1234567890123456789LL) * 10000000000000000LL + 123456789012345LL;
    rs.rows.push_back({
        std::string("\xD6\xD0\xCE\xC4  "),        // 中文 + two blanks: char(6) counts bytes
        std::string("\xC9\xFD\xBC\xB6"),          // 升级
        std::string("\xB3\xA4\xCE\xC4\xB1\xBE"),  // 长文本
        std::int64_t{-2147483647 - 1},
        std::int64_t{-32768},
        std::int64_t{255},
        std::int64_t{1},
        Decimal{-1234567890, 10, 2},  // -12345678.90
        Decimal{big, 38, 5},          // 12345678901234567890123456789012345 / 10^5
        DateTime{42427, (13 * 3600 + 45 * 60 + 30) * 300 + 299},  // 2016-02-29 13:45:30.997
        std::string(20000, 'x'),
    });
    rs.rows.push_back(std::vector<Value>(rs.columns.size(), Value{}));
    return Select(std::move(rs));
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
    if (sql == "select types") {
        out.statements.push_back(EveryType());
    } else if (sql == "select 1") {
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
