// The real UpKavel program, on a virtual X display: with a data source that does not exist it
// shows the connection error box, and once that is answered it ends with exit code 0; after a
// successful upgrade closed with the exit button it ends with exit code 0 as well.

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <memory>
#include <optional>

#include "SkipOrFail.h"
#include "StandinDatabase.h"

namespace {

// Runs a short helper program and returns its standard output.
QString RunHelper(const QString& program, const QStringList& args, const QProcessEnvironment& env) {
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, args);
    process.waitForFinished(10000);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

// How long the program may take to show its first window (it usually takes 1-3 s, under the
// sanitizers on a loaded machine up to about 10 s).
constexpr int kStartSeconds = 30;

// An Xvfb display of its own and xdotool to find windows on it and send them mouse and keys.
class VirtualDisplay {
public:
    // Empty when Xvfb or xdotool is missing or the display did not come up; `why` says which.
    static std::unique_ptr<VirtualDisplay> Start(std::string& why) {
        const QString xvfb = QStandardPaths::findExecutable("Xvfb");
        const QString xdotool = QStandardPaths::findExecutable("xdotool");
        if (xvfb.isEmpty() || xdotool.isEmpty()) {
            why = "Xvfb and xdotool are needed";
            return nullptr;
        }
        auto display = std::unique_ptr<VirtualDisplay>(new VirtualDisplay(xdotool));
        // -noreset: a server that resets when its last client (an xdotool call) leaves drops a
        // client connecting meanwhile, and UpKavel would abort with "could not connect to display".
        display->server_.start(xvfb, {"-displayfd", "1", "-noreset", "-screen", "0", "800x600x24",
                                      "-nolisten", "tcp"});
        QString number;
        if (display->server_.waitForStarted(10000))
            for (int i = 0; i < 100 && number.isEmpty(); ++i) {
                display->server_.waitForReadyRead(100);
                number = QString::fromUtf8(display->server_.readAllStandardOutput()).trimmed();
            }
        if (number.isEmpty()) {
            why = "Xvfb did not start";
            return nullptr;
        }
        display->env_.insert("DISPLAY", ":" + number);
        display->env_.insert("QT_QPA_PLATFORM", "xcb");
        display->env_.insert("LSAN_OPTIONS", "suppressions=" KAVEL_LSAN_SUPPRESSIONS);
        return display;
    }
    ~VirtualDisplay() {
        server_.kill();
        server_.waitForFinished();
    }

    // The environment for a program on this display (the caller adds its own variables).
    QProcessEnvironment& Environment() { return env_; }

    // The first visible window whose title holds `title`, waiting while `program` runs;
    // empty when none appeared within `seconds`.
    QString WaitForWindow(const QString& title, const QProcess& program, int seconds) const {
        QString window;
        for (int i = 0;
             i < seconds * 10 && window.isEmpty() && program.state() == QProcess::Running; ++i) {
            window = Xdotool({"search", "--onlyvisible", "--name", title}).section('\n', 0, 0);
            if (window.isEmpty()) QThread::msleep(100);
        }
        return window;
    }
    void Key(const QString& window, const QString& key) const {
        Xdotool({"windowfocus", "--sync", window});
        Xdotool({"key", "--clearmodifiers", key});
    }
    // A left click at (x, y) of the window's client area (no window manager: no frame).
    void Click(const QString& window, int x, int y) const {
        Xdotool({"mousemove", "--window", window, QString::number(x), QString::number(y)});
        Xdotool({"click", "1"});
    }

private:
    explicit VirtualDisplay(QString xdotool)
        : xdotool_(std::move(xdotool)), env_(QProcessEnvironment::systemEnvironment()) {}
    QString Xdotool(const QStringList& args) const { return RunHelper(xdotool_, args, env_); }

    QString xdotool_;
    QProcess server_;
    QProcessEnvironment env_;
};

// Answers the box titled `caption` with Return until the program ends; true when it ended.
bool AnswerBoxUntilEnd(const VirtualDisplay& display, QProcess& program, const QString& caption) {
    const QString box = display.WaitForWindow(caption, program, kStartSeconds);
    EXPECT_FALSE(box.isEmpty()) << "no box '" << caption.toStdString() << "' appeared";
    bool ended = false;
    for (int attempt = 0; attempt < 5 && !box.isEmpty() && !ended; ++attempt) {
        display.Key(box, "Return");
        ended = program.waitForFinished(3000);
    }
    return ended;
}

void Finish(QProcess& program, bool ended) {
    if (!ended) {
        program.kill();
        program.waitForFinished();
    }
    const QString errors = QString::fromUtf8(program.readAllStandardError());
    EXPECT_TRUE(ended) << "UpKavel did not end";
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0) << errors.toStdString();
}

QString WriteRegistry(const QTemporaryDir& folder, const QByteArray& values) {
    QFile reg(folder.filePath("HKLM.reg"));
    reg.open(QIODevice::WriteOnly);
    reg.write(
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KorvenSoft\\Kavel]\r\n" +
        values);
    return reg.fileName();
}

TEST(UpKavelBinaryTest, AFailedConnectionShowsTheBoxAndEndsWithExitCodeZero) {
    std::string why;
    const auto display = VirtualDisplay::Start(why);
    if (!display) SKIP_OR_FAIL_UNDER_CI(why);

    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QProcessEnvironment& env = display->Environment();
    env.insert(
        "KAVEL_HKLM",
        WriteRegistry(folder, "\"ODBCNAME\"=\"NoSuchDsn\"\r\n\"USERNAME\"=\"24020202\"\r\n"));
    QFile(folder.filePath("odbc.ini")).open(QIODevice::WriteOnly);
    QFile(folder.filePath("odbcinst.ini")).open(QIODevice::WriteOnly);
    env.insert("ODBCSYSINI", folder.path());
    env.insert("ODBCINI", folder.filePath("odbc.ini"));

    QProcess program;
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(KAVEL_UPKAVEL_PATH), {});
    ASSERT_TRUE(program.waitForStarted(10000));
    Finish(program, AnswerBoxUntilEnd(*display, program, "错误信息"));
}

TEST(UpKavelBinaryTest, ASuccessfulUpgradeClosedWithExitEndsWithExitCodeZero) {
    std::string why;
    const auto display = VirtualDisplay::Start(why);
    if (!display) SKIP_OR_FAIL_UNDER_CI(why);
    auto options = kavel::test::StandinOptions();
    options.saPassword = "pw";
    std::optional<standin::test::StandinServer> server;
    try {
        server.emplace(options);  // also points ODBCSYSINI, ODBCINI and FREETDSCONF at its folder
    } catch (const std::exception& e) {
        SKIP_OR_FAIL_UNDER_CI(std::string("the stand-in server cannot start here: ") + e.what());
    }

    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QProcessEnvironment env = display->Environment();
    for (const char* name : {"ODBCSYSINI", "ODBCINI", "FREETDSCONF", "FREETDS"})
        env.insert(name, QString::fromLocal8Bit(qgetenv(name)));
    // User "sa" and password "pw" in the digit code.
    env.insert(
        "KAVEL_HKLM",
        WriteRegistry(folder, "\"ODBCNAME\"=\"" + QByteArray::fromStdString(server->DsnName()) +
                                  "\"\r\n\"USERNAME\"=\"26062402\"\r\n"
                                  "\"PASSWORD\"=\"26002626\"\r\n"));

    QProcess program;
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(KAVEL_UPKAVEL_PATH), {});
    ASSERT_TRUE(program.waitForStarted(10000));
    const QString form = display->WaitForWindow("Kavel升级", program, kStartSeconds);
    ASSERT_FALSE(form.isEmpty()) << "no upgrade form appeared: "
                                 << program.readAllStandardError().toStdString();

    display->Click(form, 150, 221);  // cbBackup: enables btUp
    display->Click(form, 88, 220);   // btUp: runs the upgrade
    const QString done = display->WaitForWindow("提示信息", program, 60);
    ASSERT_FALSE(done.isEmpty()) << "no success box appeared";
    display->Key(done, "Return");
    bool ended = false;
    for (int attempt = 0; attempt < 5 && !ended; ++attempt) {
        display->Key(form, "space");  // btExit has the focus after the run
        ended = program.waitForFinished(3000);
    }
    Finish(program, ended);
    bool lastMarkerRecorded = false;
    for (const std::string& line : server->TraceLines())
        lastMarkerRecorded |=
            line.find("insert into ver_manage(vm_mess)values('ZZ20170109.SFZ')") !=
            std::string::npos;
    EXPECT_TRUE(lastMarkerRecorded) << "the upgrade did not run to its end";
}

}  // namespace
