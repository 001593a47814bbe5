// The upgrade form without a database: its controls as the user first sees them, the backup
// confirmation, the hidden tool buttons, and closing.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <vector>

#include "RecordingPresenter.h"
#include "Screenshots.h"
#include "TDatabase.h"
#include "frmUpKavelMain.h"

namespace kavel {
namespace {

class UpKavelFormTest : public testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<TUpKavelMain>(database);
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }

    TDatabase database;
    std::unique_ptr<TUpKavelMain> form;
};

TEST_F(UpKavelFormTest, ControlsStartWithTheirGeometryCaptionsAndStates) {
    struct Control {
        QWidget* widget;
        const char* name;
        QRect geometry;
        QString text;
        bool visible;
        bool enabled;
    };
    const Control controls[] = {
        {form->Label1,
         "Label1",
         {40, 16, 276, 12},
         "本次升级，增加很多实用功能及对现有功能的改善。",
         true,
         true},
        {form->Label5, "Label5", {40, 32, 132, 12}, "以及包含以前所有升级。", true, true},
        {form->btDo, "btDo", {288, 40, 75, 25}, "处理ISSN", false, true},
        {form->Label2,
         "Label2",
         {40, 56, 288, 12},
         "本程序可以运行多次，但不能在两台终端上同时运行。",
         true,
         true},
        {form->btDownload, "btDownload", {288, 64, 75, 25}, "下载ISSN", false, true},
        {form->Label3,
         "Label3",
         {40, 72, 216, 12},
         "运行此程序后，必须升级新的 Kavel.exe",
         true,
         true},
        {form->Label4,
         "Label4",
         {40, 96, 264, 12},
         "注意：升级后要求《Morlin》也已经升级。",
         true,
         true},
        {form->Label8,
         "Label8",
         {40, 132, 276, 12},
         "注意：运行过程中绝对不能强行终止本程序的运行！",
         true,
         true},
        {form->pgbBar, "pgbBar", {40, 152, 304, 17}, "", false, true},
        {form->ckBefore, "ckBefore", {40, 184, 185, 17}, "同时升级以前所有的系统升级", true, true},
        {form->lbWorking, "lbWorking", {264, 184, 84, 12}, "正在处理......", false, true},
        {form->btUp, "btUp", {40, 208, 97, 25}, "现在立刻升级", true, false},
        {form->cbBackup, "cbBackup", {144, 213, 105, 17}, "已备份好数据库", true, true},
        {form->btExit, "btExit", {256, 208, 75, 25}, "退出", true, true},
    };
    for (const auto& c : controls) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.widget->objectName(), c.name);
        EXPECT_EQ(c.widget->geometry(), c.geometry);
        EXPECT_EQ(c.widget->isVisible(), c.visible);
        EXPECT_EQ(c.widget->isEnabled(), c.enabled);
        if (auto* label = qobject_cast<QLabel*>(c.widget)) {
            EXPECT_EQ(label->text(), c.text);
        }
        if (auto* button = qobject_cast<QAbstractButton*>(c.widget)) {
            EXPECT_EQ(button->text(), c.text);
        }
        EXPECT_EQ(c.widget->font().pixelSize(), 12);
    }
    EXPECT_EQ(form->windowTitle(), "Kavel升级 V6.2017.1(32位)");
    EXPECT_EQ(form->size(), QSize(368, 248));
    EXPECT_EQ(form->minimumSize(), form->maximumSize());  // no resizing
    EXPECT_FALSE(form->windowFlags() &
                 (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_FALSE(form->ckBefore->isChecked());
    EXPECT_FALSE(form->cbBackup->isChecked());
    EXPECT_EQ(form->pgbBar->minimum(), 0);
    EXPECT_EQ(form->pgbBar->maximum(), 100);
    EXPECT_EQ(form->Label8->palette().color(QPalette::WindowText), QColor(Qt::red));
    EXPECT_EQ(form->lbWorking->palette().color(QPalette::WindowText), QColor(Qt::red));
    EXPECT_EQ(QApplication::focusWidget(), form->btExit);
    test::SaveScreenshot(*form, "form-1-start");
}

TEST_F(UpKavelFormTest, TabMovesThroughTheControlsInTheirOrder) {
    // Every control visible and enabled, so each one can take the focus.
    form->cbBackup->setChecked(true);
    form->btDo->show();
    form->btDownload->show();
    const QWidget* expected[] = {form->btUp,     form->btDo,     form->btDownload,
                                 form->ckBefore, form->cbBackup, form->btExit};
    for (const QWidget* next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next) << next->objectName().toStdString();
    }
}

TEST_F(UpKavelFormTest, TheBackupBoxEnablesTheUpgradeButtonExactlyWhileTicked) {
    QTest::mouseClick(form->cbBackup, Qt::LeftButton, {}, QPoint(6, 8));
    EXPECT_TRUE(form->cbBackup->isChecked());
    EXPECT_TRUE(form->btUp->isEnabled());
    test::SaveScreenshot(*form, "form-2-ready");
    QTest::mouseClick(form->cbBackup, Qt::LeftButton, {}, QPoint(6, 8));
    EXPECT_FALSE(form->cbBackup->isChecked());
    EXPECT_FALSE(form->btUp->isEnabled());
    // The keyboard ticks it too.
    form->cbBackup->setFocus();
    QTest::keyClick(form->cbBackup, Qt::Key_Space);
    EXPECT_TRUE(form->btUp->isEnabled());
}

TEST_F(UpKavelFormTest, F11AndF12RevealTheToolButtonsWhateverHasTheFocus) {
    form->ckBefore->setFocus();
    QTest::keyClick(form->ckBefore, Qt::Key_F11);
    EXPECT_TRUE(form->btDo->isVisible());
    EXPECT_FALSE(form->btDownload->isVisible());
    EXPECT_FALSE(form->ckBefore->isChecked());  // the key did nothing to the focused control

    form->btExit->setFocus();
    QTest::keyClick(form->btExit, Qt::Key_F12, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_TRUE(form->btDownload->isVisible());
    EXPECT_TRUE(form->isVisible());  // and it did not press btExit

    // Again: nothing changes, nothing hides them.
    QTest::keyClick(form->btDo, Qt::Key_F11);
    QTest::keyClick(form.get(), Qt::Key_F12);
    EXPECT_TRUE(form->btDo->isVisible());
    EXPECT_TRUE(form->btDownload->isVisible());
    test::SaveScreenshot(*form, "form-3-tools-revealed");
}

TEST_F(UpKavelFormTest, OtherKeysRevealNothing) {
    for (Qt::Key key : {Qt::Key_F10, Qt::Key_Escape, Qt::Key_A, Qt::Key_Return})
        QTest::keyClick(form->cbBackup, key);
    EXPECT_FALSE(form->btDo->isVisible());
    EXPECT_FALSE(form->btDownload->isVisible());
}

TEST_F(UpKavelFormTest, TheExitButtonClosesTheForm) {
    QTest::mouseClick(form->btExit, Qt::LeftButton);
    EXPECT_FALSE(form->isVisible());
}

// A loop advances the bar once per item; painting each step would cost a display round trip
// per item. The value follows every step, the picture a few times a second, and the last value
// is painted once the loop stops moving it.
TEST_F(UpKavelFormTest, TheBarTakesEveryStepButIsPaintedOnlyAFewTimesASecond) {
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Paint) ++paints;
            return false;
        }
    } counter;
    form->Runner.ShowBar();
    form->Runner.SetBar(10);
    QCoreApplication::processEvents();
    form->pgbBar->installEventFilter(&counter);
    std::vector<int> values;
    for (int i = 0; i < 2000; ++i) {
        form->Runner.AdvanceBar();
        form->Runner.PumpMessages();
        values.push_back(form->pgbBar->value());
    }
    EXPECT_EQ(values[0], 11);
    EXPECT_EQ(values[89], 100);
    EXPECT_EQ(values[90], 1);  // wrapped from the maximum
    EXPECT_EQ(values.back(), (10 + 2000 - 1) % 100 + 1);
    EXPECT_LT(counter.paints, 200) << "one paint per step is the cost this avoids";
    // Once the loop stops, the bar may paint again (and so shows the last value).
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->pgbBar->updatesEnabled(); }, 2000));
    form->Runner.HideBar();
    EXPECT_TRUE(form->pgbBar->updatesEnabled());
}

}  // namespace
}  // namespace kavel
