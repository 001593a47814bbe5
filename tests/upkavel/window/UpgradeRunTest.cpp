// The upgrade driver as the user runs it: the form on a stand-in database, the backup box
// ticked, the upgrade button clicked; success, a failing statement, and a server that has died.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <algorithm>

#include "RecordingPresenter.h"
#include "Screenshots.h"
#include "StandinDatabase.h"
#include "frmUpKavelMain.h"

namespace kavel {
namespace {

const std::vector<std::string> kDriverMarkers = {"ZZ20130901.VERUP", "ZZ20150325.YIGONG",
                                                 "ZZ20170109.SFZ"};

// Recorded by the dated steps on a database where the baseline and 2005-03 are in.
const std::vector<std::string> kStepMarkers = {
    "PEOPLE_LEN_12",          "ZZ20071103.CHGBMMONTH", "ZZ20071203.BOOKBAR_LEN_12",
    "ZZ20100511.PUBLISH_LEN", "ZZ20101230.YUELANSHI",  "ZZ20120315.BKZD"};

// What the controls a run locks looked like at one moment.
struct LockState {
    bool btUp, btExit, ckBefore, cbBackup, btDo, btDownload, working;
    bool operator==(const LockState&) const = default;
};

LockState StateOf(const TUpKavelMain& f) {
    return {f.btUp->isEnabled(),     f.btExit->isEnabled(), f.ckBefore->isEnabled(),
            f.cbBackup->isEnabled(), f.btDo->isEnabled(),   f.btDownload->isEnabled(),
            f.lbWorking->isVisible()};
}

class UpgradeRunTest : public test::StandinDatabaseTest {
protected:
    void StartForm(const std::string& extraSql = {},
                   const std::string& fixture = test::kLevel2005_03) {
        StartStandinOn(fixture, extraSql);
        if (IsSkipped()) return;
        form = std::make_unique<TUpKavelMain>(database);
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        QTest::mouseClick(form->cbBackup, Qt::LeftButton, {}, QPoint(6, 8));
        ASSERT_TRUE(form->btUp->isEnabled());
    }

    std::vector<std::string> Ledger() {
        auto rows = Column("select vm_mess from ver_manage");
        for (auto& r : rows) r.erase(r.find_last_not_of(' ') + 1);
        std::sort(rows.begin(), rows.end());
        return rows;
    }

    std::unique_ptr<TUpKavelMain> form;
};

TEST_F(UpgradeRunTest, ASuccessfulRunShowsOneBoxThenHidesTheLabelAndFocusesExit) {
    StartForm();
    if (IsSkipped()) return;
    std::optional<LockState> during;
    test::RecordingPresenter boxes([&](const test::RecordedBox&) {
        during = StateOf(*form);
        EXPECT_TRUE(form->Running());
        test::SaveScreenshot(*form, "form-4-running");
    });
    QTest::mouseClick(form->btUp, Qt::LeftButton);

    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "Kavel升级成功，请更新Kavel.exe");
    EXPECT_EQ(boxes.Boxes()[0].caption, "提示信息");
    EXPECT_EQ(boxes.Boxes()[0].flags, 0x40u);
    ASSERT_TRUE(during.has_value());
    EXPECT_EQ(*during, (LockState{false, false, false, false, false, false, true}));
    EXPECT_EQ(StateOf(*form), (LockState{true, true, true, true, true, true, false}));
    EXPECT_EQ(QApplication::focusWidget(), form->btExit);
    EXPECT_TRUE(form->cbBackup->isChecked());
    EXPECT_FALSE(form->Running());
    test::SaveScreenshot(*form, "form-5-done");

    auto expected = kDriverMarkers;
    expected.insert(expected.end(), kStepMarkers.begin(), kStepMarkers.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Ledger(), expected);

    // Again at once: the same box, and no ledger row more.
    QTest::mouseClick(form->btUp, Qt::LeftButton);
    EXPECT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(Ledger(), expected);
}

TEST_F(UpgradeRunTest, TheBaselineBoxDecidesWhetherTheDriverRunsTheBaselineStep) {
    // On a database that has lib_bianma, only the box can bring the baseline step in; its first
    // statement is the table probe of lib_rukutj.
    StartForm();
    if (IsSkipped()) return;
    const std::string baselineFirst = "select * from sysobjects where name ='lib_rukutj'\r\n";
    test::RecordingPresenter boxes;
    for (const bool ticked : {false, true, false}) {
        form->ckBefore->setChecked(ticked);
        const std::size_t mark = TraceMark();
        QTest::mouseClick(form->btUp, Qt::LeftButton);
        const auto sent = TracedSince(mark);
        ASSERT_EQ(boxes.Boxes().back().text, "Kavel升级成功，请更新Kavel.exe");
        EXPECT_EQ(std::count(sent.begin(), sent.end(), baselineFirst), ticked ? 1 : 0) << ticked;
    }
}

TEST_F(UpgradeRunTest, ClosingIsRefusedWhileARunIsGoing) {
    StartForm();
    if (IsSkipped()) return;
    bool closedDuringRun = true;
    test::RecordingPresenter boxes(
        [&](const test::RecordedBox&) { closedDuringRun = form->close(); });
    QTest::mouseClick(form->btUp, Qt::LeftButton);
    EXPECT_FALSE(closedDuringRun);
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->close());
}

TEST_F(UpgradeRunTest, AFailingStatementShowsTheErrorAndLeavesTheLabelUp) {
    // An object named ver_manage that is no table: the probe finds it, the ledger query fails.
    StartForm(
        "create table lib_other (ot_id int not null)\nGO\n"
        "alter table lib_other add constraint ver_manage primary key nonclustered (ot_id)\nGO\n",
        test::kOldestLayout);
    if (IsSkipped()) return;
    form->btDo->show();
    test::RecordingPresenter boxes;
    QTest::mouseClick(form->btUp, Qt::LeftButton);

    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "Invalid object name 'ver_manage'.");
    EXPECT_EQ(boxes.Boxes()[0].caption, "UpKavel");
    EXPECT_EQ(boxes.Boxes()[0].flags, 0x10u);
    // Everything usable again, the working label still up.
    EXPECT_EQ(StateOf(*form), (LockState{true, true, true, true, true, true, true}));
    EXPECT_FALSE(form->Running());
    test::SaveScreenshot(*form, "form-6-after-error");
}

TEST_F(UpgradeRunTest, ADeadServerGivesTheDriversMessageWithoutHanging) {
    StartForm();
    if (IsSkipped()) return;
    server->Kill();
    test::RecordingPresenter boxes;
    QElapsedTimer timer;
    timer.start();
    QTest::mouseClick(form->btUp, Qt::LeftButton);
    EXPECT_LT(timer.elapsed(), 20000);

    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_FALSE(boxes.Boxes()[0].text.empty());
    EXPECT_EQ(boxes.Boxes()[0].text.find('['), std::string::npos) << boxes.Boxes()[0].text;
    EXPECT_EQ(boxes.Boxes()[0].caption, "UpKavel");
    EXPECT_EQ(boxes.Boxes()[0].flags, 0x10u);
    EXPECT_EQ(StateOf(*form).btUp, true);
    EXPECT_EQ(StateOf(*form).btExit, true);

    // Still usable: another click gives another box, and exit closes the form.
    QTest::mouseClick(form->btUp, Qt::LeftButton);
    EXPECT_EQ(boxes.Boxes().size(), 2u);
    QTest::mouseClick(form->btExit, Qt::LeftButton);
    EXPECT_FALSE(form->isVisible());
}

}  // namespace
}  // namespace kavel
