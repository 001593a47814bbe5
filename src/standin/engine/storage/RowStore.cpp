#include "storage/RowStore.h"

#include <algorithm>
#include <cassert>
#include <stdexcept>

#include "types/KeyEncoding.h"

namespace standin {
namespace {

bool Covers(const HashIndex& ix, int position) {
    return std::find(ix.columns.begin(), ix.columns.end(), position) != ix.columns.end();
}

// No declared index can have such a name: identifiers hold no control characters.
std::string LookupIndexName(const std::vector<int>& columns) {
    std::string name = "\x01lookup";
    for (int c : columns) {
        name += ' ';
        name += std::to_string(c);
    }
    return name;
}

}  // namespace

std::string RowStore::KeyOf(const HashIndex& ix, const Row& row) const {
    std::string key;
    for (int c : ix.columns) {
        assert(c >= 0 && static_cast<std::size_t>(c) < row.size());  // a position in the row
        AppendKey(key, row[static_cast<std::size_t>(c)]);
    }
    return key;
}

std::string RowStore::KeyOf(const HashIndex& ix, RowId id) const {
    // The key's cells alone: a key is a column or two of a row that may have dozens.
    std::string key;
    for (int c : ix.columns) AppendKey(key, Cell(id, c));
    return key;
}

void RowStore::IndexRow(RowId id, const Row& row) {
    for (auto& ix : indexes_) ix.entries.emplace(KeyOf(ix, row), id);
}

// Removes the entry of row `id` under `key`. Walks every row that shares the key.
static void EraseEntry(HashIndex& ix, const std::string& key, RowId id) {
    auto range = ix.entries.equal_range(key);
    for (auto it = range.first; it != range.second; ++it) {
        if (it->second == id) {
            ix.entries.erase(it);
            return;
        }
    }
}

void RowStore::UnindexRow(RowId id, const Row& row) {
    for (auto& ix : indexes_) EraseEntry(ix, KeyOf(ix, row), id);
}

RowId RowStore::Insert(const Row& row) {
    scratch_.clear();
    EncodeRow(row, scratch_);
    rows_.emplace_back(scratch_);
    live_.push_back(1);
    ++count_;
    RowId id = rows_.size() - 1;
    IndexRow(id, row);
    return id;
}

PackedRow RowStore::Erase(RowId id) {
    assert(Live(id));  // count_ counts live rows
    if (!indexes_.empty()) UnindexRow(id, Get(id));
    live_[id] = 0;
    --count_;
    return std::move(rows_[id]);
}

std::vector<Value> RowStore::ReplaceColumns(RowId id, const std::vector<int>& columns,
                                            std::vector<Value> values) {
    assert(Live(id) && columns.size() == values.size());
    const auto covers = [&columns](const HashIndex& ix) {
        return std::any_of(ix.columns.begin(), ix.columns.end(), [&columns](int c) {
            return std::find(columns.begin(), columns.end(), c) != columns.end();
        });
    };
    scratch_.clear();
    if (std::none_of(indexes_.begin(), indexes_.end(), covers)) {
        // No key moves: the new values go into the packed row without decoding the others.
        ReplaceCells(rows_[id].Bytes(), columns, values, scratch_);
        rows_[id].Assign(scratch_);
        return values;
    }
    Row row = Get(id);
    // Keys before the change, of the indexes the change can move; usually none or one.
    std::vector<std::pair<HashIndex*, std::string>> moving;
    for (auto& ix : indexes_)
        if (covers(ix)) moving.emplace_back(&ix, KeyOf(ix, row));
    for (std::size_t k = 0; k < columns.size(); ++k) {
        assert(columns[k] >= 0 && static_cast<std::size_t>(columns[k]) < row.size());
        std::swap(row[static_cast<std::size_t>(columns[k])], values[k]);
    }
    for (auto& [ix, oldKey] : moving) {
        // An index whose key the row keeps is left alone: moving the entry would walk every row
        // of that key, which made an update of many rows that share one (a flag column with a
        // look-up index) take time growing with the square of the rows.
        std::string newKey = KeyOf(*ix, row);
        if (newKey == oldKey) continue;
        EraseEntry(*ix, oldKey, id);
        ix->entries.emplace(std::move(newKey), id);
    }
    EncodeRow(row, scratch_);
    rows_[id].Assign(scratch_);
    return values;
}

void RowStore::Restore(RowId id, PackedRow row) {
    // Undo runs newest first, so the row it restores is still deleted.
    assert(id < rows_.size() && !live_[id]);
    rows_[id] = std::move(row);
    live_[id] = 1;
    ++count_;
    if (!indexes_.empty()) IndexRow(id, Get(id));
}

void RowStore::Unappend(RowId id) {
    if (live_[id]) {
        if (!indexes_.empty()) UnindexRow(id, Get(id));
        --count_;
    }
    if (id + 1 == rows_.size()) {
        rows_.pop_back();
        live_.pop_back();
    } else {
        live_[id] = 0;
    }
}

void RowStore::AppendColumns(const std::vector<Value>& values) {
    std::string tail;
    EncodeRow(values, tail);
    for (RowId i = 0; i < rows_.size(); ++i) {
        if (!live_[i]) continue;
        scratch_.assign(rows_[i].Bytes());
        scratch_ += tail;
        rows_[i].Assign(scratch_);
    }
}

void RowStore::SetIndexes(std::vector<HashIndex> indexes) {
    indexes_ = std::move(indexes);
    lookupIndexes_ = 0;
    if (indexes_.empty()) return;
    Row row;
    for (RowId i = 0; i < rows_.size(); ++i) {
        if (!live_[i]) continue;
        Read(i, row);
        IndexRow(i, row);
    }
}

const HashIndex* RowStore::AddLookupIndex(std::vector<int> columns) const {
    if (lookupIndexes_ >= kMaxLookupIndexes) return nullptr;
    HashIndex ix;
    ix.name = LookupIndexName(columns);
    ix.columns = std::move(columns);
    Row row;
    for (RowId i = 0; i < rows_.size(); ++i) {
        if (!live_[i]) continue;
        Read(i, row);
        ix.entries.emplace(KeyOf(ix, row), i);
    }
    indexes_.push_back(std::move(ix));
    ++lookupIndexes_;
    return &indexes_.back();
}

void RowStore::DropLookupIndexesOver(int position) {
    const std::size_t declared = indexes_.size() - lookupIndexes_;
    for (std::size_t i = 0; i < declared; ++i)
        if (Covers(indexes_[i], position))
            throw std::logic_error("index " + indexes_[i].name + " covers the changed column");
    for (std::size_t i = indexes_.size(); i-- > declared;) {
        if (!Covers(indexes_[i], position)) continue;
        indexes_.erase(indexes_.begin() + static_cast<std::ptrdiff_t>(i));
        --lookupIndexes_;
    }
}

void RowStore::DropColumn(int position) {
    DropLookupIndexesOver(position);
    for (RowId i = 0; i < rows_.size(); ++i) {
        if (!live_[i]) continue;
        scratch_.clear();
        DropCell(rows_[i].Bytes(), static_cast<std::size_t>(position), scratch_);
        rows_[i].Assign(scratch_);
    }
    const std::size_t declared = indexes_.size() - lookupIndexes_;
    for (std::size_t i = 0; i < indexes_.size(); ++i) {
        for (int& c : indexes_[i].columns)
            if (c > position) --c;
        if (i >= declared) indexes_[i].name = LookupIndexName(indexes_[i].columns);
    }
}

void RowStore::ColumnConverted(int position) { DropLookupIndexesOver(position); }

const HashIndex* RowStore::FindIndex(const std::string& name) const {
    for (auto& ix : indexes_)
        if (ix.name == name) return &ix;
    return nullptr;
}

std::vector<RowId> RowStore::Lookup(const HashIndex& ix, const std::string& key) const {
    std::vector<RowId> out;
    auto range = ix.entries.equal_range(key);
    for (auto it = range.first; it != range.second; ++it) out.push_back(it->second);
    std::sort(out.begin(), out.end());
    return out;
}

std::size_t RowStore::CountKey(const HashIndex& ix, const std::string& key) const {
    return ix.entries.count(key);
}

void RowStore::Clear() {
    rows_.clear();
    live_.clear();
    count_ = 0;
    for (auto& ix : indexes_) ix.entries.clear();
}

}  // namespace standin
