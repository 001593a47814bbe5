// The schema changes a rehearsal reports, from the catalogue before and after the upgrade.

#include <gtest/gtest.h>

#include <string>

#include "clone/CatalogueText.h"

namespace standin::clone {
namespace {

SourceColumn Col(const std::string& name, const std::string& type, int length,
                 bool nullable = true) {
    SourceColumn c;
    c.name = name;
    c.type = type;
    c.length = length;
    c.nullable = nullable;
    return c;
}

SourceTable Table(const std::string& name, int id, std::int64_t rows,
                  std::vector<SourceColumn> columns) {
    SourceTable t;
    t.name = name;
    t.id = id;
    t.rows = rows;
    t.columns = std::move(columns);
    return t;
}

TEST(CompareCatalogues, TellsEachKindOfChangeTableByTable) {
    SourceCatalogue before, after;
    before.tables = {
        Table("lib_bkzd", 10, 5, {Col("zd_code", "char", 10), Col("zd_old", "char", 2)}),
        Table("lib_gone", 20, 1, {Col("g", "int", 4)}),
        Table("lib_people", 30, 4, {Col("pe_code", "char", 10, false)}),
        Table("lib_same", 40, 9, {Col("s", "int", 4)})};
    after.tables = {
        Table("lib_bkzd", 10, 5, {Col("zd_code", "char", 20), Col("zd_new", "varchar", 8)}),
        Table("lib_new", 50, 0, {Col("n", "int", 4), Col("m", "int", 4)}),
        Table("lib_people", 31, 4, {Col("pe_code", "char", 12, false)}),
        Table("lib_same", 40, 9, {Col("s", "int", 4)})};
    // A default recreated under another generated name is no change.
    before.tables[3].columns[0].defaultName = "DF__lib_same__s__1A2B3C4D";
    after.tables[3].columns[0].defaultName = "DF__lib_same__s__5E6F7A8B";
    before.tables[3].columns[0].defaultText = after.tables[3].columns[0].defaultText = "(0)";
    SourceIndex key;
    key.name = "PK_lib_people";
    key.primaryKey = true;
    key.columns = {"pe_code"};
    after.tables[2].indexes.push_back(key);

    EXPECT_EQ(CompareCatalogues(CatalogueText(before), CatalogueText(after)),
              "lib_bkzd: rows 5\n"
              "  column zd_code widened: char(10) NULL -> char(20) NULL\n"
              "  column zd_new added: varchar(8) NULL\n"
              "  column zd_old dropped: char(2) NULL\n"
              "lib_gone: dropped (had rows 1)\n"
              "lib_new: created, 2 columns, rows 0\n"
              "lib_people: rebuilt, rows 4\n"
              "  column pe_code widened: char(10) NOT NULL -> char(12) NOT NULL\n"
              "  index PK_lib_people added: PRIMARY KEY NONCLUSTERED (pe_code)\n"
              "1 table unchanged\n");
}

TEST(CompareCatalogues, NarrowingATypeChangeAndRowCountsAreTold) {
    SourceCatalogue before, after;
    before.tables = {
        Table("t", 1, 3, {Col("a", "varchar", 10), Col("b", "int", 4), Col("c", "char", 4)})};
    after.tables = {Table(
        "t", 1, 1003, {Col("a", "varchar", 8), Col("b", "char", 4), Col("c", "char", 4, false)})};
    EXPECT_EQ(CompareCatalogues(CatalogueText(before), CatalogueText(after)),
              "t: rows 3 -> 1,003\n"
              "  column a narrowed: varchar(10) NULL -> varchar(8) NULL\n"
              "  column b changed: int NULL -> char(4) NULL\n"
              "  column c changed: char(4) NULL -> char(4) NOT NULL\n"
              "0 tables unchanged\n");
}

}  // namespace
}  // namespace standin::clone
