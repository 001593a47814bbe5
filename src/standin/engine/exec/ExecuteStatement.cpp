#include "exec/Executor.h"

namespace standin {

StatementOutcome ExecuteStatement(StatementEnv& env, const BoundStatement& statement) {
    return std::visit(
        [&](const auto& s) -> StatementOutcome {
            using T = std::decay_t<decltype(s)>;
            if constexpr (std::is_same_v<T, const CreateTableStmt*>)
                return ExecCreateTable(env, *s);
            else if constexpr (std::is_same_v<T, const AlterTableStmt*>)
                return ExecAlterTable(env, *s);
            else if constexpr (std::is_same_v<T, const CreateIndexStmt*>)
                return ExecCreateIndex(env, *s);
            else if constexpr (std::is_same_v<T, const DropTableStmt*>)
                return ExecDropTable(env, *s);
            else if constexpr (std::is_same_v<T, BoundInsert>)
                return ExecInsert(env, s);
            else if constexpr (std::is_same_v<T, BoundUpdate>)
                return ExecUpdate(env, s);
            else if constexpr (std::is_same_v<T, BoundDelete>)
                return ExecDelete(env, s);
            else if constexpr (std::is_same_v<T, const SetStmt*>)
                return ExecSet(env, *s);
            else {
                StatementOutcome o;
                o.resultSet = RunSelect(env, *s);
                o.rowCount = static_cast<std::int64_t>(o.resultSet->rows.size());
                return o;
            }
        },
        statement);
}

}  // namespace standin
