#pragma once
// The upgrade form on a stand-in database of its own, shown, the backup box ticked as the user
// ticks it, with a program folder of its own (so tests running in parallel never share issn.dat)
// that holds an empty issn.dat (the baseline's import then leaves lib_issncode as it is).

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "KavelSettings.h"
#include "RecordingPresenter.h"
#include "SkipOrFail.h"
#include "StandinDatabase.h"
#include "frmUpKavelMain.h"

namespace kavel::test {

inline const std::string kSuccessText = "Kavel升级成功，请更新Kavel.exe";

// Saves a picture of `widget` as <build>/screenshots/<name>.png for people to look at; returns
// the path.
inline std::string SaveScreenshot(QWidget& widget, const std::string& name) {
    QDir().mkpath(KAVEL_SCREENSHOT_DIR);
    const QString path = QStringLiteral(KAVEL_SCREENSHOT_DIR "/") + name.c_str() + ".png";
    EXPECT_TRUE(widget.grab().save(path, "PNG")) << "cannot write " << path.toStdString();
    return path.toStdString();
}

// The enabled ones of the controls a run locks, by name; kAllControls when none is locked.
inline const std::string kAllControls = "btUp btExit ckBefore cbBackup btDo btDownload";
inline std::string EnabledControls(const TUpKavelMain& form) {
    std::string names;
    for (const QWidget* w : std::initializer_list<QWidget*>{
             form.btUp, form.btExit, form.ckBefore, form.cbBackup, form.btDo, form.btDownload})
        if (w->isEnabled()) names += (names.empty() ? "" : " ") + w->objectName().toStdString();
    return names;
}

// The form with a look into its message pump and its working label: the moments a test can see
// the window while the runner is in the middle of its work.
class WatchedForm : public TUpKavelMain {
public:
    using TUpKavelMain::TUpKavelMain;
    void PumpMessages() override {
        ++pumps;
        if (whilePumping) whilePumping();
        TUpKavelMain::PumpMessages();
    }
    void ShowWorking() override {
        if (beforeWorkingShown) beforeWorkingShown();
        TUpKavelMain::ShowWorking();
    }
    int pumps = 0;
    std::function<void()> whilePumping, beforeWorkingShown;
};

class FormTest : public StandinDatabaseTest {
protected:
    void StartForm(const std::string& fixture, const std::string& extraSql = {}) {
        ASSERT_TRUE(folder.isValid());
        StartStandinOn(fixture, extraSql);
        if (IsSkipped()) return;
        WriteFile(dir / "issn.dat", "");
        form = std::make_unique<WatchedForm>(database);
        form->Runner.ProgramFolder = dir.string();
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        QTest::mouseClick(form->cbBackup, Qt::LeftButton, {}, QPoint(6, 8));
        ASSERT_TRUE(form->btUp->isEnabled());
    }

    void Click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

    // The names in the program folder, sorted: a temporary file left behind shows here.
    std::vector<std::string> FolderEntries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    QTemporaryDir folder;
    const std::filesystem::path dir = folder.path().toStdString();
    std::unique_ptr<WatchedForm> form;
};

}  // namespace kavel::test
