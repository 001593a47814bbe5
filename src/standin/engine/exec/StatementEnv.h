#pragma once
// What one statement runs with: the catalogue, the session, the statement's clock reading (taken
// at most once) and the undo log that makes the statement all-or-nothing.

#include <functional>
#include <optional>
#include <vector>

#include "Engine.h"
#include "catalog/Catalogue.h"

namespace standin {

// Undo records of data changes, replayed backwards when the statement fails.
struct UndoRecord {
    enum class Kind { Inserted, Deleted, ColumnsReplaced } kind;
    Table* table;
    RowId row;
    std::vector<Value> old = {};  // ColumnsReplaced: the columns' values before
    // ColumnsReplaced: the positions of those columns, owned by the statement's plan, which
    // outlives its undo log.
    const std::vector<int>* columns = nullptr;
    PackedRow deleted = {};  // Deleted: the row as it was stored
};

struct StatementEnv {
    Catalogue& catalogue;
    Session& session;
    const std::function<DateTime()>& clock;
    std::optional<DateTime> now;
    std::vector<UndoRecord> undo;
    std::int64_t rowsVisited = 0;  // stored rows examined while finding rows (StatementOutcome)

    DateTime Now() {
        if (!now) now = clock ? clock() : DateTime{};
        return *now;
    }

    void RollBack() {
        for (auto it = undo.rbegin(); it != undo.rend(); ++it) {
            RowStore& s = it->table->store;
            switch (it->kind) {
                case UndoRecord::Kind::Inserted:
                    s.Unappend(it->row);
                    break;
                case UndoRecord::Kind::Deleted:
                    s.Restore(it->row, std::move(it->deleted));
                    break;
                case UndoRecord::Kind::ColumnsReplaced:
                    s.ReplaceColumns(it->row, *it->columns, std::move(it->old));
                    break;
            }
        }
        undo.clear();
    }
};

}  // namespace standin
