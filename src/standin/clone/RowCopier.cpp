#include "clone/RowCopier.h"

#include "OdbcStatement.h"
#include "TDatabase.h"
#include "clone/CatalogueReader.h"
#include "clone/ValueLiteral.h"

namespace standin::clone {
namespace {

std::string ColumnList(const SourceTable& table) {
    std::string out;
    for (const SourceColumn& c : table.columns)
        out += (out.empty() ? "" : ", ") + Bracketed(c.name);
    return out;
}

// A value of the column's type that any NOT NULL column without a default accepts.
std::string ZeroLiteral(const SourceColumn& c) {
    if (c.type == "char" || c.type == "varchar" || c.type == "text") return "''";
    if (c.type == "datetime") return "'19000101'";
    return "0";
}

// Copying rows with their identity values leaves the copy's current value at the largest of
// them. When the source has handed out a value beyond (its last rows deleted), a placeholder row
// holding that value, inserted and deleted before the rows come in, puts the copy's current value
// where the source's is.
void SetCurrentIdentity(const SourceTable& table, CopyWriter& copy) {
    const SourceColumn* identity = table.IdentityColumn();
    std::string columns, values;
    for (const SourceColumn& c : table.columns) {
        if (&c != identity && (c.nullable || !c.defaultName.empty())) continue;
        columns += (columns.empty() ? "" : ", ") + Bracketed(c.name);
        values += (values.empty() ? "" : ", ") +
                  (&c == identity ? std::to_string(*table.identityCurrent) : ZeroLiteral(c));
    }
    copy.Run("INSERT INTO " + Bracketed(table.name) + " (" + columns + ") VALUES (" + values + ")");
    copy.Run("DELETE FROM " + Bracketed(table.name));
}

}  // namespace

std::int64_t CopyRows(kavel::TDatabase& source, const SourceTable& table, CopyWriter& copy,
                      CopyProgress& progress, RowBatchLimits limits) {
    const std::string target = Bracketed(table.name);
    const bool keepIdentity = table.identityCurrent.has_value();
    if (keepIdentity) {
        copy.Run("SET IDENTITY_INSERT " + target + " ON");
        SetCurrentIdentity(table, copy);
    }

    const std::string columns = ColumnList(table);
    const std::string head = "INSERT INTO " + target + " (" + columns + ") VALUES\r\n";
    kavel::OdbcStatement read(source.Handle());
    read.Execute("select " + columns + " from " + target);
    while (read.ColumnCount() == 0)
        if (!read.MoreResults())
            throw std::runtime_error("reading table " + table.name + " gave no rows");

    std::string batch;
    std::size_t batchRows = 0;
    std::int64_t copied = 0;
    const auto flush = [&] {
        if (batchRows == 0) return;
        copy.Run(head + batch);
        progress.Advance(static_cast<std::int64_t>(batchRows));
        copied += static_cast<std::int64_t>(batchRows);
        batch.clear();
        batchRows = 0;
    };
    const auto count = static_cast<SQLUSMALLINT>(table.columns.size());
    while (read.Fetch()) {
        batch += batchRows == 0 ? "(" : ",\r\n(";
        for (SQLUSMALLINT c = 1; c <= count; ++c) {
            if (c > 1) batch += ", ";
            batch += ValueLiteral(table.columns[c - 1], read.Text(c));
        }
        batch += ")";
        if (++batchRows >= limits.rows || batch.size() >= limits.bytes) flush();
    }
    flush();
    while (read.MoreResults()) {
    }
    if (keepIdentity) copy.Run("SET IDENTITY_INSERT " + target + " OFF");
    return copied;
}

}  // namespace standin::clone
