#pragma once
// Runs bound statements against the catalogue. Each Exec* function either completes its statement
// or throws SqlError; data changes go through env.undo so the caller can undo a failed statement,
// and DDL validates everything before it changes anything. Plans are only read.

#include "Engine.h"
#include "bind/BoundStatement.h"
#include "exec/StatementEnv.h"

namespace standin {

StatementOutcome ExecuteStatement(StatementEnv& env, const BoundStatement& statement);

StatementOutcome ExecCreateTable(StatementEnv& env, const CreateTableStmt& s);
StatementOutcome ExecAlterTable(StatementEnv& env, const AlterTableStmt& s);
StatementOutcome ExecCreateIndex(StatementEnv& env, const CreateIndexStmt& s);
StatementOutcome ExecDropTable(StatementEnv& env, const DropTableStmt& s);
StatementOutcome ExecInsert(StatementEnv& env, const BoundInsert& s);
StatementOutcome ExecUpdate(StatementEnv& env, const BoundUpdate& s);
StatementOutcome ExecDelete(StatementEnv& env, const BoundDelete& s);
StatementOutcome ExecSet(StatementEnv& env, const SetStmt& s);
ResultSet RunSelect(StatementEnv& env, const BoundSelect& s);

}  // namespace standin
