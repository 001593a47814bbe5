// The upgrade form without a database: the backup gate, the tab order, the keys that reveal the
// two tool buttons, and how the progress bar is painted.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "TDatabase.h"
#include "frmUpKavelMain.h"

namespace kavel {
namespace {

class UpKavelFormTest : public testing::Test {
protected:
    void SetUp() override {
        form.show();
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    }
    TDatabase database;
    TUpKavelMain form{database};
};

TEST_F(UpKavelFormTest, OnlyTheTickedBackupBoxEnablesTheUpgradeAndExitCloses) {
    EXPECT_FALSE(form.btUp->isEnabled());
    EXPECT_FALSE(form.cbBackup->isChecked() || form.ckBefore->isChecked());
    EXPECT_FALSE(form.btDo->isVisible() || form.btDownload->isVisible() ||
                 form.pgbBar->isVisible() || form.lbWorking->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), form.btExit);
    QTest::mouseClick(form.cbBackup, Qt::LeftButton, {}, QPoint(6, 8));
    EXPECT_TRUE(form.btUp->isEnabled());
    QTest::mouseClick(form.cbBackup, Qt::LeftButton, {}, QPoint(6, 8));
    EXPECT_FALSE(form.btUp->isEnabled());
    QTest::keyClick(form.cbBackup, Qt::Key_Space);
    EXPECT_TRUE(form.btUp->isEnabled());
    QTest::mouseClick(form.btExit, Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
}

TEST_F(UpKavelFormTest, TabMovesThroughTheControlsInTheirOrder) {
    form.cbBackup->setChecked(true);  // every control enabled and shown, so each takes the focus
    form.btDo->show();
    form.btDownload->show();
    for (const QWidget* next : std::initializer_list<QWidget*>{
             form.btUp, form.btDo, form.btDownload, form.ckBefore, form.cbBackup, form.btExit}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next) << next->objectName().toStdString();
    }
}

// F11 and F12 act when released, whether a control (through the form's key preview) or the form
// itself has the focus, with or without modifiers; other keys reveal nothing.
TEST_F(UpKavelFormTest, F11AndF12RevealTheirToolButtonWhenReleased) {
    for (Qt::Key key : {Qt::Key_F10, Qt::Key_Escape, Qt::Key_A, Qt::Key_Return})
        QTest::keyClick(form.cbBackup, key);
    QTest::keyPress(form.cbBackup, Qt::Key_F11);
    EXPECT_FALSE(form.btDo->isVisible() || form.btDownload->isVisible());
    QTest::keyRelease(form.cbBackup, Qt::Key_F11);
    EXPECT_TRUE(form.btDo->isVisible());
    EXPECT_FALSE(form.btDownload->isVisible());
    QTest::keyClick(&form, Qt::Key_F12, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_TRUE(form.btDownload->isVisible());
}

// A loop moves the bar once per item; painting each move would cost a round trip to the display
// per item. The value follows every move, the picture a few times a second, and the last value
// is painted once the loop stops moving the bar.
TEST_F(UpKavelFormTest, TheBarTakesEveryStepButIsPaintedOnlyAFewTimesASecond) {
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* e) override {
            paints += e->type() == QEvent::Paint;
            return false;
        }
    } counter;
    form.ShowBar();
    form.SetBar(10);
    QCoreApplication::processEvents();
    form.pgbBar->installEventFilter(&counter);
    for (int i = 0; i < 2000; ++i) {
        form.AdvanceBar(i % 100 + 1);
        form.PumpMessages();
        ASSERT_EQ(form.pgbBar->value(), i % 100 + 1);
    }
    EXPECT_LT(counter.paints, 200) << "one paint per step is the cost this avoids";
    EXPECT_TRUE(QTest::qWaitFor([&] { return form.pgbBar->updatesEnabled(); }, 2000));
    form.HideBar();
    EXPECT_TRUE(form.pgbBar->updatesEnabled());
}

}  // namespace
}  // namespace kavel
