#include "exec/Executor.h"

namespace standin {

StatementOutcome ExecuteStatement(StatementEnv& env, Statement& statement) {
    return std::visit(
        [&](auto& s) -> StatementOutcome {
            using T = std::decay_t<decltype(s)>;
            if constexpr (std::is_same_v<T, CreateTableStmt>) return ExecCreateTable(env, s);
            else if constexpr (std::is_same_v<T, AlterTableStmt>) return ExecAlterTable(env, s);
            else if constexpr (std::is_same_v<T, CreateIndexStmt>) return ExecCreateIndex(env, s);
            else if constexpr (std::is_same_v<T, DropTableStmt>) return ExecDropTable(env, s);
            else if constexpr (std::is_same_v<T, InsertStmt>) return ExecInsert(env, s);
            else if constexpr (std::is_same_v<T, UpdateStmt>) return ExecUpdate(env, s);
            else if constexpr (std::is_same_v<T, DeleteStmt>) return ExecDelete(env, s);
            else if constexpr (std::is_same_v<T, SetStmt>) return ExecSet(env, s);
            else {
                StatementOutcome o;
                o.resultSet = RunSelect(env, s);
                o.rowCount = static_cast<std::int64_t>(o.resultSet->rows.size());
                return o;
            }
        },
        statement.body);
}

}  // namespace standin
