// The real UpKavel program on a virtual X display, driven with xdotool: with a data source that
// does not exist it shows the connection error box and, once that is answered, ends with exit
// code 0; a successful upgrade closed with the exit button ends with exit code 0 as well.

#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <optional>

#include "FormTest.h"

namespace kavel {
namespace {

class UpKavelBinaryTest : public testing::Test {
protected:
    // An Xvfb display of this test's own; the test is skipped (failed under CI) without one.
    void SetUp() override {
        const QString xvfb = QStandardPaths::findExecutable("Xvfb");
        xdotool = QStandardPaths::findExecutable("xdotool");
        if (xvfb.isEmpty() || xdotool.isEmpty())
            SKIP_OR_FAIL_UNDER_CI("Xvfb and xdotool are needed");
        // -noreset: a server that resets when its last client (an xdotool call) leaves drops a
        // client connecting meanwhile, and UpKavel would abort with "could not connect to display".
        display.start(xvfb, {"-displayfd", "1", "-noreset", "-screen", "0", "800x600x24",
                             "-nolisten", "tcp"});
        QString number;
        for (int i = 0; i < 100 && number.isEmpty() && display.waitForStarted(10000); ++i) {
            display.waitForReadyRead(100);
            number = QString::fromUtf8(display.readAllStandardOutput()).trimmed();
        }
        if (number.isEmpty()) SKIP_OR_FAIL_UNDER_CI("Xvfb did not start");
        env.insert("DISPLAY", ":" + number);
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.insert("LSAN_OPTIONS", "suppressions=" KAVEL_LSAN_SUPPRESSIONS);
        ASSERT_TRUE(folder.isValid());
    }
    void TearDown() override {
        program.kill();
        program.waitForFinished();
        display.kill();
        display.waitForFinished();
    }

    // Starts UpKavel with these registry values.
    void StartProgram(const std::string& values) {
        test::WriteFile(folder.filePath("HKLM.reg").toStdString(), test::KavelRegistry(values));
        env.insert("KAVEL_HKLM", folder.filePath("HKLM.reg"));
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(KAVEL_UPKAVEL_PATH), {});
        ASSERT_TRUE(program.waitForStarted(10000));
    }

    QString Xdotool(const QStringList& args) {
        QProcess helper;
        helper.setProcessEnvironment(env);
        helper.start(xdotool, args);
        helper.waitForFinished(10000);
        return QString::fromUtf8(helper.readAllStandardOutput()).trimmed();
    }
    // The first visible window whose title holds `title`; empty when none appeared in time (the
    // program usually shows one in 1-3 s, under the sanitizers on a loaded machine in up to 10 s).
    QString WaitForWindow(const QString& title, int seconds = 30) {
        QString window;
        for (int i = 0;
             i < seconds * 10 && window.isEmpty() && program.state() == QProcess::Running; ++i) {
            window = Xdotool({"search", "--onlyvisible", "--name", title}).section('\n', 0, 0);
            if (window.isEmpty()) QThread::msleep(100);
        }
        EXPECT_FALSE(window.isEmpty()) << "no window '" << title.toStdString() << "' appeared";
        return window;
    }
    void Key(const QString& window, const QString& key) {
        Xdotool({"windowfocus", "--sync", window});
        Xdotool({"key", "--clearmodifiers", key});
    }
    // Presses `key` in `window` until the program ends, and checks how it ended.
    void ExpectExitCodeZeroAfter(const QString& window, const QString& key) {
        bool ended = false;
        for (int attempt = 0; attempt < 5 && !window.isEmpty() && !ended; ++attempt) {
            Key(window, key);
            ended = program.waitForFinished(3000);
        }
        ASSERT_TRUE(ended) << "UpKavel did not end";
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
    }

    QString xdotool;
    QProcess display, program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QTemporaryDir folder;
};

TEST_F(UpKavelBinaryTest, AFailedConnectionShowsTheBoxAndEndsWithExitCodeZero) {
    test::WriteFile(folder.filePath("odbc.ini").toStdString(), "");
    test::WriteFile(folder.filePath("odbcinst.ini").toStdString(), "");
    env.insert("ODBCSYSINI", folder.path());
    env.insert("ODBCINI", folder.filePath("odbc.ini"));
    StartProgram("\"ODBCNAME\"=\"NoSuchDsn\"\r\n\"USERNAME\"=\"24020202\"\r\n");
    ExpectExitCodeZeroAfter(WaitForWindow("错误信息"), "Return");
}

TEST_F(UpKavelBinaryTest, ASuccessfulUpgradeClosedWithExitEndsWithExitCodeZero) {
    std::optional<standin::test::StandinServer> server;
    try {
        server.emplace(test::StandinOptions());
    } catch (const std::exception& e) {
        SKIP_OR_FAIL_UNDER_CI(std::string("the stand-in server cannot start here: ") + e.what());
    }
    for (const char* name : {"ODBCSYSINI", "ODBCINI", "FREETDSCONF", "FREETDS"})  // the server's
        env.insert(name, QString::fromLocal8Bit(qgetenv(name)));
    StartProgram(test::LoginValues(server->DsnName(), test::DigitCode(server->SaPassword())));
    const QString form = WaitForWindow("Kavel升级");
    ASSERT_FALSE(form.isEmpty()) << program.readAllStandardError().toStdString();
    // Clicks in the client area (no window manager: no frame): cbBackup, then btUp.
    Xdotool({"mousemove", "--window", form, "150", "221", "click", "1"});
    Xdotool({"mousemove", "--window", form, "88", "220", "click", "1"});
    const QString done = WaitForWindow("提示信息", 60);
    ASSERT_FALSE(done.isEmpty());
    Key(done, "Return");
    ExpectExitCodeZeroAfter(form, "space");  // btExit has the focus after the run
    bool lastMarkerRecorded = false;
    for (const std::string& line : server->TraceLines())
        lastMarkerRecorded |=
            line.find("insert into ver_manage(vm_mess)values('ZZ20170109.SFZ')") !=
            std::string::npos;
    EXPECT_TRUE(lastMarkerRecorded) << "the upgrade did not run to its end";
}

}  // namespace
}  // namespace kavel
