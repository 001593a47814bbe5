// Start-up from the registry settings to the upgrade form or the connection error box, run
// in-process with the message boxes recorded.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <utility>

#include "RecordingPresenter.h"
#include "Screenshots.h"
#include "SkipOrFail.h"
#include "StandinDatabase.h"
#include "StartUp.h"
#include "TApplication.h"
#include "dbTools.h"
#include "frmFlashTools.h"
#include "frmUpKavelMain.h"
#include "unTools.h"

namespace kavel {
namespace {

namespace fs = std::filesystem;

const std::string kConnectionError = "数据库连接失败，请检查通信参数或服务器状态！";
const std::string kConnecting = "系统正在连接数据库，请稍候...";

// The main program's digit code of a text, always with the even digit of each pair.
std::string EncodeDigits(const std::string& text) {
    std::string out;
    for (unsigned char c : text)
        for (int shift = 6; shift >= 0; shift -= 2) out += char('0' + ((c >> shift) & 3) * 2);
    return out;
}

struct Outcome {
    bool formCreated = false;
    std::vector<test::RecordedBox> boxes;
    bool splashUpAtBox = false;
    std::string splashTextAtBox;
    std::string gateAtBox;
};

class StartUpTest : public testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("upkavel-startup-" + std::to_string(::getpid()) + "-" +
                  testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
        setenv("KAVEL_HKLM", (folder / "HKLM.reg").c_str(), 1);
        // An ODBC configuration of our own with no data source in it, whatever the machine has.
        std::ofstream(folder / "odbc.ini").flush();
        std::ofstream(folder / "odbcinst.ini").flush();
        setenv("ODBCSYSINI", folder.c_str(), 1);
        setenv("ODBCINI", (folder / "odbc.ini").c_str(), 1);
    }
    void TearDown() override {
        Application.DestroyComponents();
        ConnectGate.clear();
        fs::remove_all(folder);
    }

    void WriteRegistry(const std::string& values) {
        std::ofstream(folder / "HKLM.reg", std::ios::binary)
            << "Windows Registry Editor Version 5.00\r\n\r\n"
               "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KorvenSoft\\Kavel]\r\n"
            << values;
    }

    Outcome Start() {
        Outcome outcome;
        ConnectGate.clear();
        test::RecordingPresenter presenter([&](const test::RecordedBox&) {
            outcome.splashUpAtBox = FlashTools != nullptr && FlashTools->isVisible();
            if (FlashTools) outcome.splashTextAtBox = FlashTools->lbView->text().toStdString();
            outcome.gateAtBox = ConnectGate;
        });
        outcome.formCreated = StartUp();
        outcome.boxes = presenter.Boxes();
        return outcome;
    }

    static void ExpectOneConnectionErrorBox(const Outcome& outcome) {
        EXPECT_FALSE(outcome.formCreated);
        EXPECT_EQ(UpKavelMain, nullptr);
        ASSERT_EQ(outcome.boxes.size(), 1u);
        EXPECT_EQ(outcome.boxes[0].text, kConnectionError);
        EXPECT_EQ(outcome.boxes[0].caption, "错误信息");
        EXPECT_EQ(outcome.boxes[0].flags, 0u);
    }

    fs::path folder;
};

TEST_F(StartUpTest, WithoutTheRegistryKeyTheDesignTimeAliasAndUserAreUsed) {
    const Outcome outcome = Start();  // no file at all
    ExpectOneConnectionErrorBox(outcome);
    ASSERT_NE(dbToolsMain, nullptr);
    EXPECT_EQ(dbToolsMain->LibDB.AliasName, "KavelODBC");
    EXPECT_EQ(dbToolsMain->LibDB.Params, std::vector<std::string>{"USER NAME=sa"});
    EXPECT_FALSE(dbToolsMain->LibDB.LoginPrompt);
    EXPECT_TRUE(outcome.splashUpAtBox);  // the splash stays behind the box
    EXPECT_EQ(outcome.splashTextAtBox, kConnecting);
    ASSERT_NE(FlashTools, nullptr);
    test::SaveScreenshot(*FlashTools, "splash");
}

TEST_F(StartUpTest, RegistrySettingsAreTrimmedDecodedAndReplaceTheDesignTimeOnes) {
    struct Case {
        const char* name;
        std::string values;
        std::string alias;
        std::vector<std::string> params;
    } cases[] = {
        {"all three",
         "\"ODBCNAME\"=\"  NoSuchDsn\t\"\r\n\"USERNAME\"=\" 240224042406 \"\r\n"
         "\"PASSWORD\"=\"351335153517\"\r\n",
         "NoSuchDsn",
         {"USER NAME=abc", "PASSWORD=abc"}},
        {"length not a multiple of four",
         "\"ODBCNAME\"=\"NoSuchDsn\"\r\n\"USERNAME\"=\"240224\"\r\n",
         "NoSuchDsn",
         {"USER NAME=", "PASSWORD="}},
        {"values missing", "\"Other\"=\"x\"\r\n", "", {"USER NAME=", "PASSWORD="}},
        {"expandable text",
         "\"ODBCNAME\"=hex(2):4e,00,6f,00,44,00,73,00,6e,00,00,00\r\n",
         "NoDsn",
         {"USER NAME=", "PASSWORD="}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteRegistry(c.values);
        const Outcome outcome = Start();
        ExpectOneConnectionErrorBox(outcome);
        ASSERT_NE(dbToolsMain, nullptr);
        EXPECT_EQ(dbToolsMain->LibDB.AliasName, c.alias);
        EXPECT_EQ(dbToolsMain->LibDB.Params, c.params);
        EXPECT_TRUE(outcome.splashUpAtBox);
        Application.DestroyComponents();
    }
}

TEST_F(StartUpTest, ABadRegistryValueEndsInTheErrorBoxBeforeTheSplash) {
    struct Case {
        const char* name;
        std::string values;
    } cases[] = {
        {"value that is not text", "\"ODBCNAME\"=dword:00000001\r\n"},
        {"non-digit in the user name", "\"ODBCNAME\"=\"K\"\r\n\"USERNAME\"=\"2402 404\"\r\n"},
        {"non-digit in the password", "\"ODBCNAME\"=\"K\"\r\n\"PASSWORD\"=\"24a2\"\r\n"},
        {"binary password", "\"ODBCNAME\"=\"K\"\r\n\"PASSWORD\"=hex:32,34\r\n"},
        {"not a registry file", "this line is no value\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteRegistry(c.values);
        const Outcome outcome = Start();
        ExpectOneConnectionErrorBox(outcome);
        EXPECT_FALSE(outcome.splashUpAtBox);
        EXPECT_EQ(outcome.gateAtBox, "");
        Application.DestroyComponents();
    }
}

class StartUpWithServerTest : public StartUpTest {
protected:
    void StartServer(const std::string& saPassword = {}) {
        try {
            auto options = test::StandinOptions();
            if (!saPassword.empty()) options.saPassword = saPassword;
            server = std::make_unique<standin::test::StandinServer>(options);
        } catch (const std::exception& e) {
            SKIP_OR_FAIL_UNDER_CI(std::string("the stand-in server cannot start here: ") +
                                  e.what());
        }
    }
    void WriteSettings(const std::string& password) {
        WriteRegistry("\"ODBCNAME\"=\"" + server->DsnName() + "\"\r\n\"USERNAME\"=\"" +
                      EncodeDigits("sa") + "\"\r\n\"PASSWORD\"=\"" + EncodeDigits(password) +
                      "\"\r\n");
    }
    std::unique_ptr<standin::test::StandinServer> server;
};

TEST_F(StartUpWithServerTest, TheRightSettingsOpenTheUpgradeFormWithoutAnyBox) {
    StartServer();
    if (IsSkipped()) return;
    WriteSettings(server->SaPassword());
    const Outcome outcome = Start();
    EXPECT_TRUE(outcome.formCreated);
    EXPECT_TRUE(outcome.boxes.empty());
    EXPECT_EQ(ConnectGate, "OK");
    EXPECT_EQ(FlashTools, nullptr);  // gone before the form is shown
    ASSERT_NE(UpKavelMain, nullptr);
    EXPECT_EQ(Application.MainForm(), UpKavelMain);
    EXPECT_TRUE(dbToolsMain->LibDB.Connected());
    EXPECT_TRUE(UpKavelMain->Runner.TableExists("lib_bkzd"));  // the form works on that connection
}

TEST_F(StartUpWithServerTest, AWrongPasswordOrAServerThatIsDownGivesOneBox) {
    StartServer();
    if (IsSkipped()) return;
    WriteSettings("not the password");
    ExpectOneConnectionErrorBox(Start());
    Application.DestroyComponents();

    WriteSettings(server->SaPassword());
    server->Stop();
    ExpectOneConnectionErrorBox(Start());
}

// Any four digits are a valid code, also when the bytes they give are no GBK text: "7777" is the
// byte 0xFF. Such a password reaches the login byte for byte (the stray byte as the private-use
// character U+F7FF), so the right one connects and a wrong one gets the usual box behind the
// splash.
TEST_F(StartUpWithServerTest, APasswordWhoseBytesAreNoGbkTextIsPassedToTheLoginUnchanged) {
    StartServer("\uF7FFpw");
    if (IsSkipped()) return;
    const auto settings = [&](const std::string& passwordDigits) {
        return "\"ODBCNAME\"=\"" + server->DsnName() + "\"\r\n\"USERNAME\"=\"" +
               EncodeDigits("sa") + "\"\r\n\"PASSWORD\"=\"" + passwordDigits + "\"\r\n";
    };

    WriteRegistry(settings("7777" + EncodeDigits("pw")));
    const Outcome right = Start();
    EXPECT_TRUE(right.formCreated);
    EXPECT_TRUE(right.boxes.empty());
    ASSERT_NE(dbToolsMain, nullptr);
    EXPECT_EQ(dbToolsMain->LibDB.Params,
              (std::vector<std::string>{"USER NAME=sa", "PASSWORD=\uF7FFpw"}));
    Application.DestroyComponents();

    WriteRegistry(settings("7775" + EncodeDigits("pw")));  // 0xFE: one bit off
    const Outcome wrong = Start();
    ExpectOneConnectionErrorBox(wrong);
    EXPECT_TRUE(wrong.splashUpAtBox);
    EXPECT_EQ(wrong.splashTextAtBox, kConnecting);
}

// Calls `onShow` when a widget of the application is first shown.
class FirstShowHook : public QObject {
public:
    explicit FirstShowHook(std::function<void(QObject*)> onShow) : onShow_(std::move(onShow)) {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~FirstShowHook() override { QCoreApplication::instance()->removeEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && onShow_) std::exchange(onShow_, nullptr)(watched);
        return false;
    }

private:
    std::function<void(QObject*)> onShow_;
};

// A data module that loads without an exception but leaves the gate other than "OK" gets the
// connection error box, and no upgrade form.
TEST_F(StartUpWithServerTest, AConnectionThatLeavesTheGateOtherThanOkGetsTheErrorBox) {
    StartServer();
    if (IsSkipped()) return;
    WriteSettings(server->SaPassword());
    bool connected = false;
    // When the splash shows, the module exists: its after-connect handler is made to leave the
    // gate at a text of its own.
    FirstShowHook hook([&](QObject*) {
        ASSERT_NE(dbToolsMain, nullptr);
        dbToolsMain->LibDB.AfterConnect = [&] {
            dbToolsMain->LibDBAfterConnect();
            connected = true;
            ConnectGate = "ok";
        };
    });
    const Outcome outcome = Start();
    EXPECT_TRUE(connected);
    ExpectOneConnectionErrorBox(outcome);
    EXPECT_EQ(outcome.gateAtBox, "ok");
}

}  // namespace
}  // namespace kavel
