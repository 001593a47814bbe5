// The catalogue reader on answers as SQL Server gives them, including objects the stand-in
// cannot hold (views, triggers, foreign keys, nvarchar columns, bound defaults): each must be
// reported, and the verdict on a rehearsal must follow from where it lies.

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "clone/CatalogueReader.h"
#include "clone/CatalogueText.h"

namespace standin::clone {
namespace {

// Answers each catalogue query from canned results, keyed by the query's start.
using Answers = std::map<std::string, TextRows>;
QueryText Reader(const Answers& answers) {
    return [&answers](const std::string& sql) {
        for (const auto& [start, rows] : answers)
            if (sql.rfind(start, 0) == 0) return rows;
        ADD_FAILURE() << "unexpected query: " << sql;
        return TextRows{};
    };
}

// lib_people (an identity key, a named default on a char column), lib_notes with an nvarchar
// column, and a site table site_log with a trigger; a view and a foreign key on lib_people; a
// default bound with sp_bindefault.
Answers SqlServerSource() {
    Answers s;
    s["select name, id, xtype, parent_obj from sysobjects"] =
        TextRows{{"sysobjects", "1", "S ", "0"},         {"lib_people", "100", "U ", "0"},
                 {"PK_lib_people", "101", "PK", "100"},  {"DF_pe_name", "102", "D ", "100"},
                 {"lib_notes", "200", "U ", "0"},        {"site_log", "300", "U ", "0"},
                 {"tr_site_log", "301", "TR", "300"},    {"v_people", "400", "V ", "0"},
                 {"FK_people_site", "401", "F ", "100"}, {"df_bound", "500", "D ", "0"},
                 {"dtproperties", "600", "U ", "0"}};
    s["select xusertype, name from systypes"] =
        TextRows{{"56", "int"}, {"175", "char"}, {"231", "nvarchar"}, {"61", "datetime"}};
    s["select id, colid, text from syscomments"] =
        TextRows{{"102", "1", "('')"}, {"500", "1", "(0)"}};
    s["select id, colid, name, xusertype"] =
        TextRows{{"100", "1", "pe_no", "56", "4", "10", "0", "0", "0", "128", "0"},
                 {"100", "2", "pe_name", "175", "20", "20", std::nullopt, "1", "102", "8", "0"},
                 {"200", "1", "nt_text", "231", "100", "50", std::nullopt, "1", "0", "8", "0"},
                 {"300", "1", "sl_at", "61", "8", "23", "3", "1", "500", "8", "0"},
                 {"1", "1", "name", "175", "128", "128", std::nullopt, "0", "0", "0", "0"}};
    s["select id, indid, colid, keyno from sysindexkeys"] = TextRows{{"100", "2", "1", "1"}};
    s["select id, indid, name, status, OrigFillFactor from sysindexes"] =
        TextRows{{"100", "0", std::nullopt, "0", "0"},
                 {"100", "2", "PK_lib_people", "2050", "0"},
                 {"100", "3", "_WA_Sys_pe_name_0AD2A005", "10485856", "0"}};
    s["select count(*) from [lib_people]"] = TextRows{{"3"}};
    s["select count(*) from [lib_notes]"] = TextRows{{"0"}};
    s["select count(*) from [site_log]"] = TextRows{{"7"}};
    s["select IDENT_SEED('lib_people')"] = TextRows{{"1", "1", "5"}};
    return s;
}

// Not the system table nor SQL Server's own dtproperties, nor the heap and statistics rows as
// indexes; each object the stand-in cannot hold listed, spoiling a rehearsal only when it is or
// acts on a table of the upgrade.
TEST(CatalogueReader, ReadsTheSourceAndListsWhatTheStandinCannotHold) {
    const Answers source = SqlServerSource();
    const SourceCatalogue c = ReadCatalogue(Reader(source));
    EXPECT_EQ(CatalogueText(c),
              "table\tlib_notes\t200\trows 0\n"
              "column\tlib_notes\tnt_text\tnvarchar NULL\n"
              "table\tlib_people\t100\trows 3\n"
              "column\tlib_people\tpe_no\tint NOT NULL IDENTITY(1,1)\n"
              "column\tlib_people\tpe_name\tchar(20) NULL DEFAULT ('')\tDF_pe_name\n"
              "index\tlib_people\tPK_lib_people\tPRIMARY KEY NONCLUSTERED (pe_no)\n"
              "identity\tlib_people\tpe_no\tcurrent 5\n"
              "table\tsite_log\t300\trows 7\n"
              "column\tsite_log\tsl_at\tdatetime NULL\n"
              "lacks\tsite_log\ttr_site_log\ttrigger: the stand-in has no such objects\n"
              "lacks\t-\tv_people\tview: the stand-in has no such objects\n"
              "lacks\tlib_people\tFK_people_site\tforeign key: the stand-in has no such objects\n"
              "lacks\tsite_log\tdf_bound\tdefault: a default bound to column sl_at rather than "
              "declared on it; the copy has none\n"
              "lacks\t-\tlib_notes\ttable: column nt_text has the type nvarchar, which the "
              "stand-in lacks\n");
    for (const Unreproduced& u : c.unreproduced)
        EXPECT_EQ(SpoilsRehearsal(u), u.name == "lib_notes" || u.name == "FK_people_site")
            << u.name;
    EXPECT_FALSE(c.FindTable("lib_notes")->problems.empty());
    EXPECT_TRUE(c.FindTable("site_log")->problems.empty());
}

TEST(CatalogueReader, AnIdentityThatNeverHandedOutAValueHasNoCurrentValue) {
    Answers source = SqlServerSource();
    // IDENT_CURRENT answers the seed both before the first value and after the first one was
    // deleted; with no rows the first is the likelier, and the copy starts at the seed.
    source["select count(*) from [lib_people]"] = TextRows{{"0"}};
    source["select IDENT_SEED('lib_people')"] = TextRows{{"1", "1", "1"}};
    EXPECT_FALSE(
        ReadCatalogue(Reader(source)).FindTable("lib_people")->identityCurrent.has_value());
    source["select IDENT_SEED('lib_people')"] = TextRows{{"1", "1", "9"}};
    EXPECT_EQ(ReadCatalogue(Reader(source)).FindTable("lib_people")->identityCurrent, 9);
}

TEST(CatalogueReader, AnAnswerOfTheWrongShapeIsAnError) {
    Answers source = SqlServerSource();
    source["select xusertype, name from systypes"] = TextRows{{"56"}};
    EXPECT_THROW(ReadCatalogue(Reader(source)), std::runtime_error);
    source = SqlServerSource();
    source["select count(*) from [site_log]"] = TextRows{{"many"}};
    EXPECT_THROW(ReadCatalogue(Reader(source)), std::runtime_error);
}

}  // namespace
}  // namespace standin::clone
