#include "catalog/Schema.h"

#include "types/Collation.h"

namespace standin {

int ColumnPosition(const std::vector<Column>& columns, std::string_view name) {
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (SameName(columns[i].name, name)) return static_cast<int>(i);
    return -1;
}

int Table::FindColumn(std::string_view n) const { return ColumnPosition(columns, n); }

int Table::FindIndex(std::string_view n) const {
    for (std::size_t i = 0; i < indexes.size(); ++i)
        if (SameName(indexes[i].name, n)) return static_cast<int>(i);
    return -1;
}

const DefaultConstraint* Table::DefaultOf(const Column& c) const {
    if (c.defaultId == 0) return nullptr;
    for (auto& d : defaults)
        if (d.id == c.defaultId) return &d;
    return nullptr;
}

std::vector<int> Table::ColumnPositions(const IndexDef& ix) const {
    std::vector<int> pos;
    for (auto& n : ix.columns) pos.push_back(FindColumn(n));
    return pos;
}

void Table::RebuildStoreIndexes() {
    std::vector<HashIndex> hs;
    for (auto& ix : indexes) {
        HashIndex h;
        h.name = ix.name;
        h.columns = ColumnPositions(ix);
        hs.push_back(std::move(h));
    }
    store.SetIndexes(std::move(hs));
}

}  // namespace standin
