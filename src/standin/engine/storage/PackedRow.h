#pragma once
// The form a stored row takes in memory: its values one after another in a single block of
// bytes, each a tag byte and as few bytes as the value needs (integers and dates as variable-
// length integers, text as its bytes with a run of trailing blanks as a count). A large table
// holds hundreds of thousands of rows; as vectors of Value they took about four times the bytes,
// most of them the fixed size of a Value and the blanks that pad char(n) text.
//
// Rows are decoded where they are read and encoded where they are written; the engine works on
// decoded rows (Row) only. The bytes are made by EncodeRow alone and never read from a file, so
// decoding trusts them.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "types/Value.h"

namespace standin {

using Row = std::vector<Value>;

// Appends the byte form of `row` to `out`.
void EncodeRow(const Row& row, std::string& out);
// The values of a row, into `row`: its elements are reused (their text keeps its capacity), so
// that reading many rows one after another into the same Row allocates little.
void DecodeRow(std::string_view bytes, Row& row);
// The columns marked in `wanted` (one mark per column of the row) into `row`, which takes the
// row's width; the others read as NULL. For statements that read a few columns of wide rows.
void DecodeColumns(std::string_view bytes, const std::vector<char>& wanted, Row& row);
// The value in column `column` alone; the row must have that many columns.
Value DecodeCell(std::string_view bytes, std::size_t column);
// The row with values[k] in column columns[k] (distinct positions within the row), into `out`;
// values[k] then holds the value the column had. The other values are copied as bytes.
void ReplaceCells(std::string_view bytes, const std::vector<int>& columns,
                  std::vector<Value>& values, std::string& out);
// The row without its value in column `column`, into `out` (a dropped column).
void DropCell(std::string_view bytes, std::size_t column, std::string& out);

// The bytes of one row, in a block of exactly their size (16 bytes where a std::string takes 32
// and may keep room it no longer needs).
class PackedRow {
public:
    PackedRow() = default;
    explicit PackedRow(std::string_view bytes) { Assign(bytes); }
    PackedRow(PackedRow&& other) noexcept
        : bytes_(std::move(other.bytes_)), size_(std::exchange(other.size_, 0)) {}
    PackedRow& operator=(PackedRow&& other) noexcept {
        bytes_ = std::move(other.bytes_);
        size_ = std::exchange(other.size_, 0);
        return *this;
    }

    std::string_view Bytes() const { return {bytes_.get(), size_}; }
    // Replaces the bytes; a block of the same size is written over rather than reallocated.
    void Assign(std::string_view bytes);

private:
    std::unique_ptr<char[]> bytes_;
    std::uint32_t size_ = 0;
};

}  // namespace standin
