#include "bind/Binder.h"

namespace standin {

BoundStatement Binder::Bind(const Statement& statement) {
    return std::visit(
        [&](const auto& s) -> BoundStatement {
            using T = std::decay_t<decltype(s)>;
            if constexpr (std::is_same_v<T, InsertStmt>)
                return Insert(s);
            else if constexpr (std::is_same_v<T, UpdateStmt>)
                return Update(s);
            else if constexpr (std::is_same_v<T, DeleteStmt>)
                return Delete(s);
            else if constexpr (std::is_same_v<T, SelectStmt>)
                return Select(s);
            else
                return &s;
        },
        statement.body);
}

}  // namespace standin
