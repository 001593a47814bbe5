// The two ISSN file tools through their buttons: issnok.txt -> issn.dat (btDo) and lib_issncode
// -> issn.dat (btDownload). The new issn.dat replaces an earlier one only when complete: after a
// failure, also one in the middle of the loop, the earlier file is there byte for byte and no
// temporary file is left. While a tool's loop runs the window is locked and cannot be closed.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <sstream>

#include "FormTest.h"
#include "IssnLine.h"

namespace kavel {
namespace {

namespace fs = std::filesystem;

const std::string kEarlierIssnDat = EncodeIssnLine("1-001      1234-5679 11-1234/G4") + "\r\n";
const std::string kIssnTable =
    "create table lib_issncode (ic_code char(10) not null, ic_issn char(13) default(''), "
    "ic_cnno char(12) default(''))\nGO\n";
constexpr int kMany = 2000;  // records: 70 kB of issn.dat, past any write buffer

std::string Repeated(const std::string& text, int times) {
    std::string all;
    while (times-- > 0) all += text;
    return all;
}

// Root writes into a read-only folder: as root, the case runs again in this program as the
// ordinary user "nobody" (CI runs as root, so it would never run otherwise).
void RunAsNobody() {
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    const fs::path log = fs::temp_directory_path() / ("upkavel-nobody-" + std::to_string(getpid()));
    const std::string command =
        "setpriv --reuid=65534 --regid=65534 --clear-groups env HOME=/tmp '" +
        fs::read_symlink("/proc/self/exe").string() +
        "' '--gtest_filter=" + info->test_suite_name() + "." + info->name() + "' >'" +
        log.string() + "' 2>&1";
    const int status = std::system(command.c_str());
    const std::string output = test::ReadFile(log);
    fs::remove(log);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << output;
    EXPECT_NE(output.find("[  PASSED  ] 1 test"), std::string::npos) << output;
}

// A click on a tool's button. "{folder}" in the text stands for the program folder.
struct ToolRun {
    const char* name;
    bool download = false;          // btDownload, else btDo
    std::string sql = {};           // on the oldest layout
    std::string issnok = {};        // issnok.txt, when not empty
    std::string text = {};          // of the box; a piece of it when the tool fails
    const char* records = nullptr;  // of the new issn.dat, one a line; none: the tool fails
    bool readOnly = false;          // the program folder
    bool fullDisk = false;          // issn.dat cannot grow past 1 kB: the loop fails half-way
};
void PrintTo(const ToolRun& c, std::ostream* out) { *out << c.name; }

class IssnFileToolsTest : public test::FormTest, public testing::WithParamInterface<ToolRun> {};

TEST_P(IssnFileToolsTest, WritesAllOfIssnDatOrLeavesTheEarlierOne) {
    const ToolRun& c = GetParam();
    if (c.readOnly && geteuid() == 0) return RunAsNobody();
    StartForm(test::kOldestLayout, c.sql);
    if (IsSkipped()) return;
    form->btDo->show();
    form->btDownload->show();
    test::WriteFile(dir / "issn.dat", kEarlierIssnDat);
    if (!c.issnok.empty()) test::WriteFile(dir / "issnok.txt", c.issnok);
    const auto entriesBefore = FolderEntries();
    std::string enabledAtPump = "(no pump)";
    bool closedAtPump = true;
    std::size_t entriesAtPump = 0;
    form->whilePumping = [&] {  // the first item of the loop
        if (form->pumps > 1) return;
        enabledAtPump = test::EnabledControls(*form);
        closedAtPump = form->close();
        entriesAtPump = FolderEntries().size();
    };
    test::RecordingPresenter boxes;
    if (c.readOnly) fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
    rlimit fileSize{};
    getrlimit(RLIMIT_FSIZE, &fileSize);
    if (c.fullDisk) {  // writes past the first kilobyte of a file fail, as on a full disk
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit small{1024, fileSize.rlim_max};
        setrlimit(RLIMIT_FSIZE, &small);
    }
    Click(c.download ? form->btDownload : form->btDo);
    setrlimit(RLIMIT_FSIZE, &fileSize);
    if (c.readOnly) fs::permissions(dir, fs::perms::owner_all);

    ASSERT_EQ(boxes.Boxes().size(), 1u);
    const test::RecordedBox& box = boxes.Boxes()[0];
    std::string text = c.text;
    if (const auto at = text.find("{folder}"); at != std::string::npos)
        text.replace(at, 8, dir.string());
    if (c.records) {
        EXPECT_EQ(box.text, text);
        EXPECT_EQ(box.flags, 0x40u);
        std::string lines;
        std::istringstream records(c.records);
        for (std::string record; std::getline(records, record);)
            lines += EncodeIssnLine(record) + "\r\n";
        EXPECT_EQ(test::ReadFile(dir / "issn.dat"), lines);
    } else {
        EXPECT_NE(box.text.find(text), std::string::npos) << box.text;
        EXPECT_EQ(box.flags, 0x10u);
        EXPECT_EQ(test::ReadFile(dir / "issn.dat"), kEarlierIssnDat);
    }
    EXPECT_EQ(FolderEntries(), entriesBefore);
    EXPECT_EQ(test::EnabledControls(*form), test::kAllControls);
    EXPECT_FALSE(form->Running());
    if (c.fullDisk) {
        EXPECT_GT(form->pumps, 1);
        EXPECT_LT(form->pumps, kMany) << "the write failed only after the loop";
        EXPECT_EQ(enabledAtPump, "");
        EXPECT_FALSE(closedAtPump);
        EXPECT_EQ(entriesAtPump, entriesBefore.size() + 1) << "no new file beside issn.dat";
    }
}

const std::string kSourceLine = "1-001     1234-5679    11-1234/G4\r\n";

INSTANTIATE_TEST_SUITE_P(
    , IssnFileToolsTest,
    testing::Values(
        ToolRun{.name = "TheListBecomesIssnDat",
                .issnok = kSourceLine + "short line\r\n" +
                          "\xD6\xD0-1      1111-1111    \xB1\xB1-1/G\n",  // GBK code, LF alone
                .text = "处理完成",
                .records = "1-001      1234-5679 11-1234/G4\n"
                           "\xD6\xD0-1       1111-1111 \xB1\xB1-1/G"},
        ToolRun{.name = "TheTableBecomesIssnDat",
                .download = true,
                .sql = kIssnTable + "insert into lib_issncode values ('2-101', '0317-8471', "
                                    "'31-1001/F832'), ('N-1', NULL, NULL), ('中-1', '1111-1111', "
                                    "'北-1/G')\nGO\n",
                .text = "下载处理完成",
                .records = "2-101      0317-8471 31-1001/F832\n"
                           "N-1                              \n"
                           "\xD6\xD0-1       1111-1111 \xB1\xB1-1/G      "},
        ToolRun{.name = "AnEmptyTableGivesAnEmptyIssnDat",
                .download = true,
                .sql = kIssnTable,
                .text = "下载处理完成",
                .records = ""},
        ToolRun{.name = "AListWithoutARecord",
                .issnok = "1-001 1234-5679\r\n\r\nx\r\n",
                .text = "issnok.txt（文件夹 {folder}）中没有可用的记录"},
        ToolRun{.name = "AFolderThatCannotBeWritten",
                .issnok = kSourceLine,
                .text = "无法创建文件 issn.dat（文件夹 {folder}）：没有权限",
                .readOnly = true},
        ToolRun{.name = "ADiskThatFillsDuringTheList",
                .issnok = Repeated(kSourceLine, kMany),
                .text = "无法写入文件 issn.dat（文件夹 {folder}）",
                .fullDisk = true},
        ToolRun{.name = "ADiskThatFillsDuringTheTable",
                .download = true,
                .sql = kIssnTable + Repeated("insert into lib_issncode values ('1-001', "
                                             "'1234-5679', '11-1234/G4')\n",
                                             kMany),
                .text = "无法写入文件 issn.dat（文件夹 {folder}）",
                .fullDisk = true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kavel
