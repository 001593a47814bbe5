// The ISSN code table import on a stand-in database: table and key created on a fresh database,
// the fill-in rules against stored rows, lines that carry no record or no CP936 text, and the
// progress bar. A missing issn.dat, with the box the window shows, is in
// window/FailedRunFormTest.cpp.

#include <gtest/gtest.h>

#include <algorithm>

#include "DatabaseError.h"
#include "IssnLine.h"
#include "RecordingRunner.h"

namespace kavel {
namespace {

// One plain record in its fixed columns.
std::string Record(const std::string& code, const std::string& issn, const std::string& cn) {
    std::string line = code;
    line.resize(10, ' ');
    line += ' ' + issn;
    line.resize(20, ' ');
    return line + ' ' + cn;
}

// issn.dat made of the given plain records, each substituted, CR LF after each.
std::string IssnDat(const std::vector<std::string>& plainLines) {
    std::string bytes;
    for (const auto& line : plainLines) bytes += EncodeIssnLine(line) + "\r\n";
    return bytes;
}

const char* kCreateLibIssncode =
    "create table lib_issncode ( \r\n"
    "\t\tic_code \tchar(10) not null,\r\n"
    "\t\tic_issn \tchar(13) DEFAULT(''),\r\n"
    "\t\tic_cnno \tchar(12) DEFAULT(''))\r\n";

class IssnImportTest : public test::RunnerTest {
protected:
    // The rows in byte order of the code (not the server's collation order).
    std::vector<std::vector<std::string>> CodeTable() {
        auto rows = Rows("select ic_code, ic_issn, ic_cnno from lib_issncode");
        std::sort(rows.begin(), rows.end());
        return rows;
    }
};

TEST_F(IssnImportTest, OnAFreshDatabaseCreatesTheTableAndKeyThenEveryLineIsARow) {
    StartRunner(test::kOldestLayout);
    if (IsSkipped()) return;
    WriteFile("issn.dat", IssnDat({Record("1-001", "1234-5679", "11-1234/G4"),
                                   Record("2-101", "0317-8471", "31-1001/F832"),
                                   Record("K-001", "2049-3630", "")}));
    const auto mark = TraceMark();
    runner->DoCodeIssnWork();

    const auto traced = TracedSince(mark);
    ASSERT_GE(traced.size(), 5u);
    EXPECT_EQ(traced[0], "select * from sysobjects where name ='lib_issncode'\r\n");
    EXPECT_EQ(traced[1], kCreateLibIssncode);
    EXPECT_EQ(traced[2],
              "ALTER TABLE lib_issncode ADD CONSTRAINT \r\n"
              "PK_lib_issncode PRIMARY KEY NONCLUSTERED\r\n"
              "(ic_code)\r\n");
    EXPECT_EQ(traced[3], "select * from lib_issncode \r\nwhere ic_code='1-001'\r\n");
    EXPECT_EQ(traced[4],
              "insert into lib_issncode(ic_code,ic_issn,ic_cnno) values( \r\n"
              "'1-001',\r\n'1234-5679',\r\n'11-1234/G4')\r\n");
    EXPECT_EQ(traced.size(), 9u);  // probe, create, key, and a lookup and an insert per line

    EXPECT_EQ(Column("select name from sysobjects where name = 'PK_lib_issncode'").size(), 1u);
    EXPECT_EQ(CodeTable(), (std::vector<std::vector<std::string>>{
                               {"1-001", "1234-5679", "11-1234/G4"},
                               {"2-101", "0317-8471", "31-1001/F832"},  // twelve characters
                               {"K-001", "2049-3630", ""}}));
    EXPECT_TRUE(recorder.barVisible);  // the import leaves the bar shown
    EXPECT_EQ(recorder.barPositions, (std::vector<int>{10, 11, 12, 13}));
}

TEST_F(IssnImportTest, FillsInOnlyWhatAStoredRowLacks) {
    StartRunner(test::kOldestLayout,
                std::string(kCreateLibIssncode) +
                    "GO\n"
                    "insert into lib_issncode values ('A-1', '1111-1111', '11-1111/A')\n"
                    "insert into lib_issncode values ('A-2', '', '22-2222/B')\n"
                    "insert into lib_issncode values ('A-3', '3333-333X', '')\n"
                    "insert into lib_issncode values ('A-4', '', '')\n"
                    "insert into lib_issncode values ('A-5', NULL, NULL)\n"
                    "insert into lib_issncode values ('A-6', NULL, '66-6666/F')\n");
    if (IsSkipped()) return;
    WriteFile(
        "issn.dat",
        IssnDat({Record("A-1", "9999-9999", "99-9999/Z"), Record("A-2", "2222-2222", "99-9999/Z"),
                 Record("A-3", "9999-9999", "33-3333/C"), Record("A-4", "4444-4444", "44-4444/D"),
                 Record("A-5", "5555-5555", "55-5555/E"), Record("A-6", "6666-6666", "99-9999/Z"),
                 // The same code twice: the first inserts, the second fills in.
                 Record("B-1", "7777-7777", ""), Record("B-1", "8888-8888", "77-7777/G")}));
    const auto mark = TraceMark();
    runner->DoCodeIssnWork();

    EXPECT_EQ(CodeTable(),
              (std::vector<std::vector<std::string>>{{"A-1", "1111-1111", "11-1111/A"},
                                                     {"A-2", "2222-2222", "22-2222/B"},
                                                     {"A-3", "3333-333X", "33-3333/C"},
                                                     {"A-4", "4444-4444", "44-4444/D"},
                                                     {"A-5", "5555-5555", "55-5555/E"},
                                                     {"A-6", "6666-6666", "66-6666/F"},
                                                     {"B-1", "7777-7777", "77-7777/G"}}));

    std::vector<std::string> writes;
    for (const auto& statement : TracedSince(mark))
        if (statement.rfind("update", 0) == 0 || statement.rfind("insert", 0) == 0)
            writes.push_back(statement);
    EXPECT_EQ(writes,
              (std::vector<std::string>{
                  "update lib_issncode set \r\nic_issn='2222-2222' \r\nwhere ic_code='A-2'\r\n",
                  "update lib_issncode set \r\nic_cnno='33-3333/C' \r\nwhere ic_code='A-3'\r\n",
                  "update lib_issncode set \r\nic_issn='4444-4444',\r\nic_cnno='44-4444/D' \r\n"
                  "where ic_code='A-4'\r\n",
                  "update lib_issncode set \r\nic_issn='5555-5555',\r\nic_cnno='55-5555/E' \r\n"
                  "where ic_code='A-5'\r\n",
                  "update lib_issncode set \r\nic_issn='6666-6666' \r\nwhere ic_code='A-6'\r\n",
                  "insert into lib_issncode(ic_code,ic_issn,ic_cnno) values( \r\n"
                  "'B-1',\r\n'7777-7777',\r\n'')\r\n",
                  "update lib_issncode set \r\nic_cnno='77-7777/G' \r\nwhere ic_code='B-1'\r\n"}));
}

TEST_F(IssnImportTest, LinesWithoutARecordAreSkippedAndBytesWithoutCp936TextArriveAsQuestionMarks) {
    StartRunner(test::kOldestLayout);
    if (IsSkipped()) return;
    const std::string notGbk = "\xFF\xFE";  // no CP936 character starts with 0xFF
    WriteFile("issn.dat",
              "\r\n"   // empty: skipped
              "7\r\n"  // one byte: skipped
                  + EncodeIssnLine(Record("C-" + notGbk, "1111-1111", "")) +
                  "\r\n"  // kept, '?' each
                  + EncodeIssnLine(Record("C-1", "1111-1111", "11-1111/A" + notGbk)) + "\r\n" +
                  EncodeIssnLine(Record("\xD6\xD0-1", "2222-2222", "22-2222/B")) + "\r\n"  // 中-1
                  + EncodeIssnLine(Record("O'K-9", "3333-3333", "")) + "\r\n"  // a quote stays data
                  + EncodeIssnLine(Record("5-1", "4444-4444", "44-4444/D")) + "\n"  // LF alone
                  + EncodeIssnLine("C-2") + "\r\n"                                  // code only
                  + EncodeIssnLine(Record("C-3", "5555-5555", "55-5555/E")));       // no line end
    EXPECT_NO_THROW(runner->DoCodeIssnWork());

    EXPECT_TRUE(recorder.boxes.empty());
    EXPECT_EQ(CodeTable(),
              (std::vector<std::vector<std::string>>{{"5-1", "4444-4444", "44-4444/D"},
                                                     {"C-1", "1111-1111", "11-1111/A??"},
                                                     {"C-2", "", ""},
                                                     {"C-3", "5555-5555", "55-5555/E"},
                                                     {"C-??", "1111-1111", ""},
                                                     {"O'K-9", "3333-3333", ""},
                                                     {"中-1", "2222-2222", "22-2222/B"}}));
    // Seven lines processed, the empty and one-byte lines not.
    EXPECT_EQ(recorder.barPositions.back(), 17);
}

// A line the server refuses (here: an ISSN wider than the column) is passed over and the bar
// still moves for it; a look-up that fails (the server gone) ends the run at once.
TEST_F(IssnImportTest, ARefusedWriteIsPassedOverButAFailingLookUpEndsTheRun) {
    StartRunner(test::kOldestLayout,
                "create table lib_issncode (ic_code char(10) not null, ic_issn char(5), "
                "ic_cnno char(12))\nGO\ninsert into lib_issncode values ('A-2', '', '')\nGO\n");
    if (IsSkipped()) return;
    WriteFile("issn.dat", IssnDat({Record("A-1", "1111-1111", "11-1111/A"),
                                   Record("A-2", "2222-2222", "22-2222/B"),
                                   Record("A-3", "333", "33-3333/C")}));
    EXPECT_NO_THROW(runner->DoCodeIssnWork());
    EXPECT_EQ(CodeTable(), (std::vector<std::vector<std::string>>{{"A-2", "", ""},
                                                                  {"A-3", "333", "33-3333/C"}}));
    EXPECT_EQ(recorder.barPositions, (std::vector<int>{10, 11, 12, 13}));

    recorder.barPositions.clear();
    recorder.onPump = [&, pumps = 0]() mutable {
        if (++pumps == 2) server->Kill();
    };
    EXPECT_THROW(runner->DoCodeIssnWork(), EDatabaseError);
    EXPECT_EQ(recorder.barPositions, (std::vector<int>{10, 11}));
}

}  // namespace
}  // namespace kavel
