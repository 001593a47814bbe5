#include "bind/BindDefault.h"

#include "bind/Binder.h"
#include "sql/Parser.h"

namespace standin {

std::shared_ptr<const BoundExpr> BindDefault(const Expr& e) {
    // A default names no table, so binding it needs no catalogue.
    static Catalogue noTables;
    BindScope scope;
    scope.valuesList = true;
    scope.isDefault = true;
    return Binder(noTables).Expression(e, scope);
}

std::shared_ptr<const BoundExpr> BindDefaultText(const std::string& text) {
    return BindDefault(*ParseStandaloneExpression(text));
}

}  // namespace standin
