#pragma once
// The bind pass: turns parsed statements into bound plans against the catalogue as it is when the
// statement is about to run. Names, types, operators and functions are resolved here once, with
// SQL Server's errors for what does not resolve; execution then only reads the plans.

#include <memory>
#include <string>

#include "Engine.h"
#include "bind/BindDefault.h"
#include "bind/BoundStatement.h"
#include "bind/NameResolver.h"
#include "sql/Ast.h"

namespace standin {

class Binder {
public:
    // session: the SET options binding depends on (IDENTITY_INSERT); none for expressions that
    // belong to no session, such as stored defaults.
    explicit Binder(Catalogue& catalogue, const Session* session = nullptr)
        : catalogue_(catalogue), session_(session) {}

    BoundExprPtr Expression(const Expr& e, const BindScope& scope);
    std::shared_ptr<const BoundSelect> Select(const SelectStmt& s);
    BoundInsert Insert(const InsertStmt& s);
    BoundUpdate Update(const UpdateStmt& s);
    BoundDelete Delete(const DeleteStmt& s);
    BoundStatement Bind(const Statement& s);

private:
    std::unique_ptr<BoundExpr> Node(const Expr& e, const BindScope& scope);
    void BindArgs(const Expr& e, const BindScope& scope, BoundExpr& b);
    std::shared_ptr<const BoundSelect> Subquery(const SelectStmt& s);

    Catalogue& catalogue_;
    const Session* session_;
};

}  // namespace standin
