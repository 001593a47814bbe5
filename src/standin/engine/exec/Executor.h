#pragma once
// Runs parsed statements against the catalogue. Each Exec* function either completes its statement
// or throws SqlError; data changes go through env.undo so the caller can undo a failed statement,
// and DDL validates everything before it changes anything.

#include "sql/Ast.h"
#include "Engine.h"
#include "exec/StatementEnv.h"

namespace standin {

StatementOutcome ExecuteStatement(StatementEnv& env, Statement& statement);

StatementOutcome ExecCreateTable(StatementEnv& env, CreateTableStmt& s);
StatementOutcome ExecAlterTable(StatementEnv& env, AlterTableStmt& s);
StatementOutcome ExecCreateIndex(StatementEnv& env, CreateIndexStmt& s);
StatementOutcome ExecDropTable(StatementEnv& env, DropTableStmt& s);
StatementOutcome ExecInsert(StatementEnv& env, InsertStmt& s);
StatementOutcome ExecUpdate(StatementEnv& env, UpdateStmt& s);
StatementOutcome ExecDelete(StatementEnv& env, DeleteStmt& s);
StatementOutcome ExecSet(StatementEnv& env, SetStmt& s);
ResultSet RunSelect(StatementEnv& env, SelectStmt& s);

// Adds a PRIMARY KEY / UNIQUE constraint or a plain index to a table after checking it
// (2714, 1911, 8111, 8110, 1913, 1505). Shared by CREATE TABLE, ALTER TABLE and CREATE INDEX.
void AddIndex(StatementEnv& env, Table& table, IndexDef def, bool isConstraint);

// Adds a DEFAULT constraint to a column (2714 on a taken name); name empty: generated.
void AddDefaultConstraint(StatementEnv& env, Table& table, Column& column, const std::string& name,
                          const std::string& exprText);

// Finds a user table for a statement that changes it: 208 when absent, and a refusal for the
// system tables.
Table& TableForWrite(StatementEnv& env, const std::string& name);

}  // namespace standin
