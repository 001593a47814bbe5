#pragma once
// Rows of one table with hash indexes for equality look-ups. A row keeps its id for life (deleted
// rows leave a hole), so indexes and undo records can name rows by id; scans run in insertion
// order. Rows are kept packed (PackedRow.h) and read out as Row: a Row read from the store is a
// copy, and writing goes through the store.

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "storage/PackedRow.h"
#include "types/Value.h"

namespace standin {

using RowId = std::size_t;

struct HashIndex {
    std::string name;
    std::vector<int> columns;  // positions in the row
    std::unordered_multimap<std::string, RowId> entries;
};

class RowStore {
public:
    std::size_t Capacity() const { return rows_.size(); }
    std::size_t Count() const { return count_; }
    bool Live(RowId id) const { return id < live_.size() && live_[id]; }
    Row Get(RowId id) const {
        Row row;
        Read(id, row);
        return row;
    }
    // Row `id` into `into`, reusing its elements (a scan reads every row into one Row).
    void Read(RowId id, Row& into) const { DecodeRow(rows_[id].Bytes(), into); }
    // Only the columns marked in `columns` (one mark per column); the others read as NULL.
    void Read(RowId id, const std::vector<char>& columns, Row& into) const {
        DecodeColumns(rows_[id].Bytes(), columns, into);
    }
    Value Cell(RowId id, int column) const {
        return DecodeCell(rows_[id].Bytes(), static_cast<std::size_t>(column));
    }

    RowId Insert(const Row& row);
    // Deletes the row and hands back its packed bytes, which Restore takes to undo the delete.
    PackedRow Erase(RowId id);
    // Puts values[k] into column columns[k] (distinct positions) and returns the values they
    // replaced, in the same order; only indexes over one of the columns are re-keyed.
    std::vector<Value> ReplaceColumns(RowId id, const std::vector<int>& columns,
                                      std::vector<Value> values);
    void Restore(RowId id, PackedRow row);  // brings a deleted row back under its old id (undo)
    void Unappend(RowId id);  // removes the last inserted row entirely (undo of Insert)

    // Rewrites every live row (DDL: an added identity column, or putting back the columns of a
    // failed ADD); indexes must be rebuilt.
    template <typename F>
    void ForEachLiveMutable(F f) {
        Row row;
        for (RowId i = 0; i < rows_.size(); ++i) {
            if (!live_[i]) continue;
            Read(i, row);
            f(row);
            scratch_.clear();
            EncodeRow(row, scratch_);
            rows_[i].Assign(scratch_);
        }
    }

    // Puts `values` after the last column of every live row (DDL: added columns; no key moves).
    void AppendColumns(const std::vector<Value>& values);

    // Replaces every index, look-up indexes included, and fills the new ones.
    void SetIndexes(std::vector<HashIndex> indexes);
    // DDL that leaves the keys of the declared indexes as they are, so that a large table's
    // indexes need not be rebuilt (that cost more than the change itself). No declared index may
    // cover the column; look-up indexes over it are dropped.
    //   DropColumn: takes the column out of every row; positions past it become one lower.
    //   ColumnConverted: every value of the column was converted, which may change its keys.
    void DropColumn(int position);
    void ColumnConverted(int position);
    const std::vector<HashIndex>& Indexes() const { return indexes_; }
    const HashIndex* FindIndex(const std::string& name) const;
    std::vector<RowId> Lookup(const HashIndex& ix, const std::string& key) const;
    std::size_t CountKey(const HashIndex& ix, const std::string& key) const;
    std::string KeyOf(const HashIndex& ix, const Row& row) const;
    std::string KeyOf(const HashIndex& ix, RowId id) const;

    // Look-up indexes: hash indexes the engine adds by itself on columns that equality look-ups
    // name but no declared index covers, so that such a look-up on a large table is not a scan
    // (a server finds those rows through its own statistics and plans). They are kept up to date
    // like the declared ones, are no constraint, do not appear in the catalogue, and are dropped
    // with every SetIndexes (DDL that changes indexes or the keys of one; an added or dropped
    // column keeps the others). At most kMaxLookupIndexes a table; returns null when the
    // table has them all already. A cache: adding one changes no row and no result.
    static constexpr std::size_t kMaxLookupIndexes = 4;
    const HashIndex* AddLookupIndex(std::vector<int> columns) const;

    void Clear();

private:
    void IndexRow(RowId id, const Row& row);
    void UnindexRow(RowId id, const Row& row);
    void DropLookupIndexesOver(int position);

    std::vector<PackedRow> rows_;
    std::vector<char> live_;
    std::size_t count_ = 0;
    mutable std::vector<HashIndex> indexes_;  // declared ones first, then look-up indexes
    mutable std::size_t lookupIndexes_ = 0;
    std::string scratch_;  // the bytes of a row being written, kept to spare an allocation each
};

}  // namespace standin
