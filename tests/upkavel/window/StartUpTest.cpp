// Start-up from the registry settings to the upgrade form or the connection error box, run
// in-process with the boxes recorded: the settings that reach the login, the splash behind the
// box when connecting fails, the box before any splash when a setting cannot be read. And what
// every database test does when its stand-in cannot start under CI.

#include <gtest/gtest-spi.h>

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <cstdlib>
#include <optional>

#include "FormTest.h"
#include "StartUp.h"
#include "dbTools.h"
#include "frmFlashTools.h"
#include "unTools.h"

namespace kavel {
namespace {

namespace fs = std::filesystem;

const std::string kBox = "数据库连接失败，请检查通信参数或服务器状态！ | 错误信息 | 0";

class StartUpTest : public testing::Test {
protected:
    void SetUp() override {
        setenv("KAVEL_HKLM", (folder / "HKLM.reg").c_str(), 1);
        // An ODBC configuration of our own with no data source in it, whatever the machine has.
        // (unixODBC keeps the folders it reads first: when these tests make the first ODBC call
        // of the process, a stand-in started later in it is not found. ctest runs each alone.)
        test::WriteFile(folder / "odbc.ini", "");
        test::WriteFile(folder / "odbcinst.ini", "");
        setenv("ODBCSYSINI", folder.c_str(), 1);
        setenv("ODBCINI", (folder / "odbc.ini").c_str(), 1);
    }
    void TearDown() override {
        Application.DestroyComponents();
        ConnectGate.clear();
    }

    void WriteRegistry(const std::string& values) {
        test::WriteFile(folder / "HKLM.reg", test::KavelRegistry(values));
    }

    // StartUp as main runs it: "form" when it made the upgrade form and showed no box, else each
    // box (text | caption | flags) and what stood behind it: the splash (shown, with the
    // connecting text and both pictures), or no splash and the gate's word.
    std::string Start() {
        ConnectGate.clear();
        std::string behind;
        test::RecordingPresenter boxes([&](const test::RecordedBox&) {
            const bool splash = FlashTools != nullptr && FlashTools->isVisible() &&
                                FlashTools->lbView->text() == "系统正在连接数据库，请稍候..." &&
                                !FlashTools->Image1->pixmap().isNull() &&
                                !FlashTools->Image2->pixmap().isNull();
            if (splash) test::SaveScreenshot(*FlashTools, "splash");
            behind = splash ? "splash" : "gate '" + ConnectGate + "'";
        });
        std::string outcome = StartUp() && UpKavelMain != nullptr ? "form" : "";
        for (const auto& box : boxes.Boxes())
            outcome += box.text + " | " + box.caption + " | " + std::to_string(box.flags) +
                       " behind " + behind;
        return outcome;
    }

    QTemporaryDir temporary;
    const fs::path folder = temporary.path().toStdString();
};

// Without a data source each setting ends at the connection box, behind which the splash stays
// up; the login it was tried with is the data module's. A value that cannot be read ends there
// before any splash.
TEST_F(StartUpTest, RegistrySettingsReachTheLoginOrEndInTheBoxBeforeTheSplash) {
    const struct {
        const char* name;
        std::optional<std::string> values;  // none: no registry key at all
        std::string alias;
        std::vector<std::string> params;  // empty: the settings cannot be read
    } cases[] = {
        {"no key: the design-time settings", std::nullopt, "KavelODBC", {"USER NAME=sa"}},
        {"all three, trimmed and decoded",
         "\"ODBCNAME\"=\"  NoSuchDsn\t\"\r\n\"USERNAME\"=\" 240224042406 \"\r\n"
         "\"PASSWORD\"=\"351335153517\"\r\n",
         "NoSuchDsn",
         {"USER NAME=abc", "PASSWORD=abc"}},
        {"values missing", "\"Other\"=\"x\"\r\n", "", {"USER NAME=", "PASSWORD="}},
        {"value that is not text", "\"ODBCNAME\"=dword:00000001\r\n", "", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.values)
            WriteRegistry(*c.values);
        else
            fs::remove(folder / "HKLM.reg");
        EXPECT_EQ(Start(), kBox + (c.params.empty() ? " behind gate ''" : " behind splash"));
        if (!c.params.empty()) {
            ASSERT_NE(dbToolsMain, nullptr);
            EXPECT_EQ(dbToolsMain->LibDB.AliasName, c.alias);
            EXPECT_EQ(dbToolsMain->LibDB.Params, c.params);
        }
        Application.DestroyComponents();
    }
}

// Calls `onShow` when a widget of the application is next shown.
class ShowHook : public QObject {
public:
    explicit ShowHook(std::function<void()> onShow) : onShow_(std::move(onShow)) {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~ShowHook() override { QCoreApplication::instance()->removeEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show && onShow_) std::exchange(onShow_, nullptr)();
        return false;
    }

private:
    std::function<void()> onShow_;
};

// The password's first byte, 0xFF ("7777"), is no GBK text: it reaches the login byte for byte
// (as the private-use character U+F7FF), so the right one opens the form, no box, the splash
// gone, on the module's connection. One bit off, a connection that leaves the gate shut, or the
// server down get the box.
TEST_F(StartUpTest, TheRightLoginOpensTheFormAndAnyOtherGetsTheBox) {
    std::optional<standin::test::StandinServer> server;
    try {
        auto options = test::StandinOptions();
        options.saPassword = "\uF7FFpw";
        server.emplace(options);
    } catch (const std::exception& e) {
        SKIP_OR_FAIL_UNDER_CI(std::string("the stand-in server cannot start here: ") + e.what());
    }
    const std::string right = test::LoginValues(server->DsnName(), "7777" + test::DigitCode("pw"));
    WriteRegistry(right);
    ASSERT_EQ(Start(), "form");
    EXPECT_EQ(ConnectGate, "OK");
    EXPECT_EQ(FlashTools, nullptr);
    EXPECT_EQ(Application.MainForm(), UpKavelMain);
    EXPECT_EQ(dbToolsMain->LibDB.Params,
              (std::vector<std::string>{"USER NAME=sa", "PASSWORD=\uF7FFpw"}));
    EXPECT_TRUE(UpKavelMain->Runner.TableExists("lib_bkzd"));
    Application.DestroyComponents();

    WriteRegistry(test::LoginValues(server->DsnName(), "7775" + test::DigitCode("pw")));
    EXPECT_EQ(Start(), kBox + " behind splash");
    Application.DestroyComponents();

    WriteRegistry(right);
    ShowHook hook([] {  // the splash: the data module is there, connecting
        dbToolsMain->LibDB.AfterConnect = [] {
            dbToolsMain->LibDBAfterConnect();
            ConnectGate = "ok";
        };
    });
    EXPECT_EQ(Start(), kBox + " behind gate 'ok'");
    Application.DestroyComponents();

    server->Stop();
    EXPECT_EQ(Start(), kBox + " behind splash");
}

// Under CI a test whose stand-in cannot start fails with the reason; a skip there would show a
// broken stand-in as green.
class SkipUnderCiTest : public test::StandinDatabaseTest {};

TEST_F(SkipUnderCiTest, AStandinThatCannotStartFailsTheTestWithItsReason) {
    const bool wasSet = std::getenv("CI") != nullptr;
    const std::string previous = wasSet ? std::getenv("CI") : "";
    setenv("CI", "true", 1);
    EXPECT_NONFATAL_FAILURE(
        EXPECT_THROW(StartStandinOn("no_such_fixture.sql"), standin::test::MissingPrerequisite),
        "the stand-in server cannot start here");
    if (wasSet)
        setenv("CI", previous.c_str(), 1);
    else
        unsetenv("CI");
    EXPECT_FALSE(IsSkipped());
    EXPECT_EQ(server, nullptr);
}

}  // namespace
}  // namespace kavel
