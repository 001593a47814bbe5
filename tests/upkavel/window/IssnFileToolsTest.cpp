// The two ISSN file tools driven through their buttons: issnok.txt -> issn.dat, lib_issncode ->
// issn.dat, the round trip through the import, and every failure leaving an earlier issn.dat
// byte for byte as it was, with no temporary file left behind.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "IssnLine.h"
#include "JobFormTest.h"
#include "RecordingPresenter.h"

namespace kavel {
namespace {

// The lines of a file without their CR LF; every line must end with one.
std::vector<std::string> CrLfLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(bytes.substr(start, end - start));
    EXPECT_EQ(start, bytes.size()) << "the last line has no CR LF";
    return lines;
}

// The records of an issn.dat as code|issn|cn, sorted.
std::vector<std::string> RecordsOf(const std::string& issnDat) {
    std::vector<std::string> records;
    for (const auto& line : CrLfLines(issnDat))
        if (const auto r = ReadIssnDatLine(line))
            records.push_back(r->code + "|" + r->issn + "|" + r->cn);
    std::sort(records.begin(), records.end());
    return records;
}

const std::string kEarlierIssnDat = EncodeIssnLine("1-001      1234-5679 11-1234/G4") + "\r\n";

class IssnFileToolsTest : public test::JobFormTest {
protected:
    void StartTools(const std::string& extraSql = {}) {
        StartForm(test::kOldestLayout, extraSql);
        if (IsSkipped()) return;
        form->show();
        form->btDo->show();
        form->btDownload->show();
    }
    void Click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
};

TEST_F(IssnFileToolsTest, TheSourceListBecomesIssnDatLineForLine) {
    StartTools();
    if (IsSkipped()) return;
    WriteFile("issnok.txt",
              "1-001     1234-5679    11-1234/G4\r\n"
              "short line\r\n"                                 // under 20 bytes: skipped
              "K-001     2049-3630   \r\n"                     // 20 bytes and more, no CN
              "2-101     0317-8471    31-1001/F832X\r\n"       // CN cut at column 35
              "\xD6\xD0-1      1111-1111    \xB1\xB1-1/G\n");  // GBK code, LF alone
    test::RecordingPresenter boxes;
    Click(form->btDo);

    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "处理完成");
    EXPECT_EQ(boxes.Boxes()[0].caption, "提示信息");
    EXPECT_EQ(boxes.Boxes()[0].flags, 0x40u);
    EXPECT_EQ(
        CrLfLines(ReadFile("issn.dat")),
        (std::vector<std::string>{EncodeIssnLine("1-001      1234-5679 11-1234/G4"),
                                  EncodeIssnLine("K-001      2049-3630 "),
                                  EncodeIssnLine("2-101      0317-8471 31-1001/F832"),
                                  EncodeIssnLine("\xD6\xD0-1       1111-1111 \xB1\xB1-1/G")}));
    EXPECT_EQ(FolderEntries(), (std::vector<std::string>{"issn.dat", "issnok.txt"}));
}

TEST_F(IssnFileToolsTest, ARoundTripThroughTheImportAndTheExportGivesBackTheSameRecords) {
    StartTools();
    if (IsSkipped()) return;
    WriteFile("issnok.txt",
              "1-001     1234-5679    11-1234/G4\r\n"
              "2-101     0317-8471    31-1001/F832\r\n"
              "K-001     2049-3630    \r\n"
              "9-9       1111-111X    44-4444/TP\r\n"
              "\xD6\xD0-1      1111-1111    \xB1\xB1-1/G\r\n");
    test::RecordingPresenter boxes;
    Click(form->btDo);
    const std::string first = ReadFile("issn.dat");
    form->Runner.DoCodeIssnWork();
    Click(form->btDownload);
    const std::string second = ReadFile("issn.dat");

    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[1].text, "下载处理完成");
    EXPECT_EQ(boxes.Boxes()[1].caption, "提示信息");
    EXPECT_EQ(boxes.Boxes()[1].flags, 0x40u);
    EXPECT_EQ(RecordsOf(second), RecordsOf(first));
    EXPECT_EQ(RecordsOf(first).size(), 5u);
    for (const auto& line : CrLfLines(second)) EXPECT_EQ(line.size(), 33u);
}

TEST_F(IssnFileToolsTest, TheExportWritesNullsAsBlanksAndAnEmptyTableAsAnEmptyFile) {
    StartTools(
        "create table lib_issncode (ic_code char(10) not null, ic_issn char(13) default(''), "
        "ic_cnno char(12) default(''))\nGO\n"
        "insert into lib_issncode values ('N-1', NULL, NULL)\n");
    if (IsSkipped()) return;
    test::RecordingPresenter boxes;
    Click(form->btDownload);
    EXPECT_EQ(ReadFile("issn.dat"), EncodeIssnLine("N-1" + std::string(30, ' ')) + "\r\n");

    {
        TQuery empty(database);
        empty.AddSql("delete from lib_issncode");
        empty.ExecSQL();
    }
    Click(form->btDownload);
    EXPECT_EQ(ReadFile("issn.dat"), "");
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[1].text, "下载处理完成");
}

// A failure of a tool: what to set up, which button, and a piece of the error text.
struct ToolFailure {
    const char* name;
    std::function<void(test::JobFormTest&)> prepare;
    bool download;  // btDownload, else btDo
    const char* textPiece;
};
void PrintTo(const ToolFailure& f, std::ostream* out) { *out << f.name; }

class IssnFileToolFailureTest : public IssnFileToolsTest,
                                public testing::WithParamInterface<ToolFailure> {
public:
    // The fixture helpers, for the table of cases.
    using JobFormTest::folder;
    void Write(const char* name, const std::string& bytes) { WriteFile(name, bytes); }
};

TEST_P(IssnFileToolFailureTest, ShowsTheErrorAndKeepsTheEarlierIssnDat) {
    const ToolFailure& failure = GetParam();
    StartTools();
    if (IsSkipped()) return;
    WriteFile("issn.dat", kEarlierIssnDat);
    failure.prepare(*this);
    const auto entriesBefore = FolderEntries();
    test::RecordingPresenter boxes;
    Click(failure.download ? form->btDownload : form->btDo);

    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_NE(boxes.Boxes()[0].text.find(failure.textPiece), std::string::npos)
        << boxes.Boxes()[0].text;
    EXPECT_EQ(boxes.Boxes()[0].caption, "UpKavel");
    EXPECT_EQ(boxes.Boxes()[0].flags, 0x10u);
    EXPECT_EQ(ReadFile("issn.dat"), kEarlierIssnDat);
    EXPECT_EQ(FolderEntries(), entriesBefore);
    // Every control usable again.
    EXPECT_TRUE(form->btDo->isEnabled());
    EXPECT_TRUE(form->btDownload->isEnabled());
    EXPECT_FALSE(form->Running());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IssnFileToolFailureTest,
    testing::Values(ToolFailure{"SourceMissing", [](test::JobFormTest&) {}, false, "issnok.txt"},
                    ToolFailure{"SourceIsAFolder",
                                [](test::JobFormTest& t) {
                                    auto& self = static_cast<IssnFileToolFailureTest&>(t);
                                    ASSERT_TRUE(QDir(self.folder.path()).mkdir("issnok.txt"));
                                },
                                false, "issnok.txt"},
                    ToolFailure{"SourceOfShortLinesOnly",
                                [](test::JobFormTest& t) {
                                    static_cast<IssnFileToolFailureTest&>(t).Write(
                                        "issnok.txt", "1-001 1234-5679\r\n\r\nx\r\n\xFF\xFE\r\n");
                                },
                                false, "issnok.txt"},
                    ToolFailure{"SourceEmpty",
                                [](test::JobFormTest& t) {
                                    static_cast<IssnFileToolFailureTest&>(t).Write("issnok.txt",
                                                                                   "");
                                },
                                false, "issnok.txt"},
                    ToolFailure{"CodeTableMissing", [](test::JobFormTest&) {}, true,
                                "lib_issncode"}),
    [](const testing::TestParamInfo<ToolFailure>& info) { return std::string(info.param.name); });

TEST_F(IssnFileToolsTest, AFolderThatCannotBeWrittenKeepsTheEarlierIssnDat) {
    if (geteuid() == 0) {
        // Root writes into a read-only folder: the case runs again in this program as the
        // ordinary user "nobody" (CI runs as root, so it would never run otherwise).
        const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
        const std::string log = std::filesystem::temp_directory_path() /
                                ("upkavel-nobody-" + std::to_string(getpid()) + ".log");
        const std::string command =
            "setpriv --reuid=65534 --regid=65534 --clear-groups env HOME=/tmp '" + self +
            "' --gtest_filter=IssnFileToolsTest.AFolderThatCannotBeWrittenKeepsTheEarlierIssnDat "
            ">'" +
            log + "' 2>&1";
        const int status = std::system(command.c_str());
        std::ifstream in(log);
        const std::string output((std::istreambuf_iterator<char>(in)),
                                 std::istreambuf_iterator<char>());
        std::filesystem::remove(log);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << output;
        EXPECT_NE(output.find("[  PASSED  ] 1 test"), std::string::npos) << output;
        return;
    }
    StartTools("create table lib_issncode (ic_code char(10) not null)\n");
    if (IsSkipped()) return;
    WriteFile("issn.dat", kEarlierIssnDat);
    WriteFile("issnok.txt", "1-001     1234-5679    11-1234/G4\r\n");
    ASSERT_TRUE(QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::ExeOwner));
    test::RecordingPresenter boxes;
    Click(form->btDo);
    Click(form->btDownload);
    QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    ASSERT_EQ(boxes.Boxes().size(), 2u);
    for (const auto& box : boxes.Boxes()) {
        EXPECT_NE(box.text.find(folder.path().toStdString()), std::string::npos) << box.text;
        EXPECT_EQ(box.flags, 0x10u);
    }
    EXPECT_EQ(ReadFile("issn.dat"), kEarlierIssnDat);
}

TEST_F(IssnFileToolsTest, AProgramFolderThatDoesNotExistGivesABoxNamingIt) {
    StartTools();
    if (IsSkipped()) return;
    form->Runner.ProgramFolder = QString(folder.path() + "/gone").toStdString();
    test::RecordingPresenter boxes;
    Click(form->btDownload);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_NE(boxes.Boxes()[0].text.find("/gone"), std::string::npos) << boxes.Boxes()[0].text;
    EXPECT_FALSE(QDir(folder.path() + "/gone").exists());
}

}  // namespace
}  // namespace kavel
