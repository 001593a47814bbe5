// The real UpKavel program, on a virtual X display: with a data source that does not exist it
// shows the connection error box, and once that is answered it ends with exit code 0.

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

namespace {

// Runs a short helper program and returns its standard output.
QString RunHelper(const QString& program, const QStringList& args, const QProcessEnvironment& env) {
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, args);
    process.waitForFinished(10000);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

TEST(UpKavelBinaryTest, AFailedConnectionShowsTheBoxAndEndsWithExitCodeZero) {
    const QString xvfb = QStandardPaths::findExecutable("Xvfb");
    const QString xdotool = QStandardPaths::findExecutable("xdotool");
    if (xvfb.isEmpty() || xdotool.isEmpty()) GTEST_SKIP() << "Xvfb and xdotool are needed";

    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QFile reg(folder.filePath("HKLM.reg"));
    ASSERT_TRUE(reg.open(QIODevice::WriteOnly));
    reg.write("Windows Registry Editor Version 5.00\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KorvenSoft\\Kavel]\r\n"
              "\"ODBCNAME\"=\"NoSuchDsn\"\r\n\"USERNAME\"=\"24020202\"\r\n");
    reg.close();
    QFile(folder.filePath("odbc.ini")).open(QIODevice::WriteOnly);
    QFile(folder.filePath("odbcinst.ini")).open(QIODevice::WriteOnly);

    QProcess display;
    display.start(xvfb, {"-displayfd", "1", "-screen", "0", "800x600x24", "-nolisten", "tcp"});
    ASSERT_TRUE(display.waitForStarted(10000));
    QString number;
    for (int i = 0; i < 100 && number.isEmpty(); ++i) {
        display.waitForReadyRead(100);
        number = QString::fromUtf8(display.readAllStandardOutput()).trimmed();
    }
    if (number.isEmpty()) {
        display.kill();
        display.waitForFinished();
        GTEST_SKIP() << "Xvfb did not start";
    }

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", ":" + number);
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("KAVEL_HKLM", folder.filePath("HKLM.reg"));
    env.insert("ODBCSYSINI", folder.path());
    env.insert("ODBCINI", folder.filePath("odbc.ini"));
    env.insert("LSAN_OPTIONS", "suppressions=" KAVEL_LSAN_SUPPRESSIONS);

    QProcess program;
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(KAVEL_UPKAVEL_PATH), {});
    ASSERT_TRUE(program.waitForStarted(10000));

    QString box;
    for (int i = 0; i < 300 && box.isEmpty() && program.state() == QProcess::Running; ++i) {
        box = RunHelper(xdotool, {"search", "--onlyvisible", "--name", "错误信息"}, env).section('\n', 0, 0);
        if (box.isEmpty()) QThread::msleep(100);
    }
    EXPECT_FALSE(box.isEmpty()) << "no error box appeared";
    bool ended = false;
    for (int attempt = 0; attempt < 5 && !box.isEmpty() && !ended; ++attempt) {
        RunHelper(xdotool, {"windowfocus", "--sync", box}, env);
        RunHelper(xdotool, {"key", "--clearmodifiers", "Return"}, env);
        ended = program.waitForFinished(3000);
    }
    if (!ended) {
        program.kill();
        program.waitForFinished();
    }
    const QString errors = QString::fromUtf8(program.readAllStandardError());
    display.kill();
    display.waitForFinished();

    EXPECT_TRUE(ended) << "UpKavel did not end after the box was answered";
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0) << errors.toStdString();
}

}  // namespace
