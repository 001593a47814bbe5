// Behaviours of the upgrade form, its driver and the splash that a plausible edit could change
// while every broader test stays green: the statements of the probes and the ledger exactly as
// the server receives them, what the driver sends before its working label shows and what it
// sends last, the moment F11 and F12 act, and how the splash is laid out.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <optional>

#include "RecordingPresenter.h"
#include "StandinDatabase.h"
#include "TDatabase.h"
#include "frmFlashTools.h"
#include "frmUpKavelMain.h"
#include "unTools.h"

namespace kavel {
namespace {

using Statements = std::vector<std::string>;

const std::string kLedgerProbe = "select * from sysobjects where name ='ver_manage'\r\n";
const std::string kLedgerCreate =
    "create table ver_manage ( \r\n\t\tvm_mess \tchar(40) default('')\r\n) \r\n";

std::string MarkerQuery(const std::string& marker) {
    return "select vm_mess from ver_manage\r\nwhere vm_mess='" + marker + "'\r\n";
}
std::string MarkerInsert(const std::string& marker) {
    return "insert into ver_manage(vm_mess)values('" + marker + "')\r\n";
}

const Statements kDriverMarkers = {"ZZ20130901.VERUP", "ZZ20150325.YIGONG", "ZZ20170109.SFZ"};

Statements Tail(const Statements& all, std::size_t count) {
    if (all.size() < count) return all;
    return {all.end() - static_cast<std::ptrdiff_t>(count), all.end()};
}

// Calls `onShow` each time `widget` is shown, at that moment.
class ShowWatcher : public QObject {
public:
    ShowWatcher(QWidget* widget, std::function<void()> onShow) : onShow_(std::move(onShow)) {
        widget->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show) onShow_();
        return false;
    }

private:
    std::function<void()> onShow_;
};

class PinnedDriverTest : public test::StandinDatabaseTest {
protected:
    void StartForm() {
        StartStandin();
        if (IsSkipped()) return;
        form = std::make_unique<TUpKavelMain>(database);
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        QTest::mouseClick(form->cbBackup, Qt::LeftButton, {}, QPoint(6, 8));
        ASSERT_TRUE(form->btUp->isEnabled());
    }

    // Clicks btUp; returns what the server received during the run and, separately, what it had
    // received when lbWorking was shown.
    std::pair<Statements, Statements> RunUpgrade() {
        const std::size_t start = TraceMark();
        std::optional<Statements> beforeLabel;
        ShowWatcher watcher(form->lbWorking, [&] { beforeLabel = TracedSince(start); });
        test::RecordingPresenter boxes;
        QTest::mouseClick(form->btUp, Qt::LeftButton);
        EXPECT_EQ(boxes.Boxes().size(), 1u);
        if (!boxes.Boxes().empty()) {
            EXPECT_EQ(boxes.Boxes()[0].caption, "提示信息") << boxes.Boxes()[0].text;
        }
        EXPECT_TRUE(beforeLabel.has_value()) << "lbWorking was never shown";
        return {TracedSince(start), beforeLabel.value_or(Statements{})};
    }

    std::unique_ptr<TUpKavelMain> form;
};

TEST_F(PinnedDriverTest, TheLedgerComesBeforeTheWorkingLabelAndTheDriverMarkersComeLastInOrder) {
    StartForm();
    if (IsSkipped()) return;

    const auto [firstRun, beforeLabel] = RunUpgrade();
    EXPECT_EQ(beforeLabel, (Statements{kLedgerProbe, kLedgerCreate}));
    Statements recorded;
    for (const auto& marker : kDriverMarkers) {
        recorded.push_back(MarkerQuery(marker));
        recorded.push_back(MarkerInsert(marker));
    }
    EXPECT_EQ(Tail(firstRun, recorded.size()), recorded);

    // Again: the ledger is there, so only its probe precedes the label, and every marker is
    // looked up without being inserted again.
    const auto [secondRun, beforeLabelAgain] = RunUpgrade();
    EXPECT_EQ(beforeLabelAgain, Statements{kLedgerProbe});
    Statements lookedUp;
    for (const auto& marker : kDriverMarkers) lookedUp.push_back(MarkerQuery(marker));
    EXPECT_EQ(Tail(secondRun, lookedUp.size()), lookedUp);
}

TEST_F(PinnedDriverTest, TheProbesAndTheLedgerSendTheirStatementsByteForByte) {
    StartStandin();
    if (IsSkipped()) return;
    TUpKavelMain form(database);
    const std::size_t mark = TraceMark();
    EXPECT_TRUE(form.Runner.TableExists("lib_baokan"));
    EXPECT_TRUE(form.Runner.ColumnExists("lib_baokan", "bk_issn"));
    EXPECT_FALSE(form.Runner.ColumnExists("lib_baokan", "bk_nosuch"));
    form.Runner.EnsureLedger();
    EXPECT_TRUE(form.Runner.CheckVerSign("ZZ20071103.CHGBMMONTH"));
    EXPECT_FALSE(form.Runner.CheckVerSign("ZZ20071103.CHGBMMONTH"));
    EXPECT_EQ(TracedSince(mark), (Statements{
                                     "select * from sysobjects where name ='lib_baokan'\r\n",
                                     "select name from syscolumns where name='bk_issn' and id in "
                                     "(select id from sysobjects where name = 'lib_baokan')\r\n",
                                     "select name from syscolumns where name='bk_nosuch' and id in "
                                     "(select id from sysobjects where name = 'lib_baokan')\r\n",
                                     kLedgerProbe,
                                     kLedgerCreate,
                                     MarkerQuery("ZZ20071103.CHGBMMONTH"),
                                     MarkerInsert("ZZ20071103.CHGBMMONTH"),
                                     MarkerQuery("ZZ20071103.CHGBMMONTH"),
                                 }));
}

TEST(PinnedFormTest, F11AndF12ActWhenTheKeyIsReleasedNotWhenItIsPressed) {
    TDatabase database;
    TUpKavelMain form(database);
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    const struct {
        Qt::Key key;
        QPushButton* button;
    } cases[] = {{Qt::Key_F11, form.btDo}, {Qt::Key_F12, form.btDownload}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button->objectName().toStdString());
        QTest::keyPress(form.cbBackup, c.key);
        EXPECT_FALSE(c.button->isVisible()) << "shown on the key press";
        QTest::keyRelease(form.cbBackup, c.key);
        EXPECT_TRUE(c.button->isVisible()) << "not shown on the key release";
    }
}

TEST(PinnedSplashTest, TheSplashKeepsItsCaptionSizeAndPicturePlaces) {
    ConnectGate = "系统正在连接数据库，请稍候...";
    TFlashTools splash;
    ConnectGate.clear();
    EXPECT_EQ(splash.windowTitle().toStdString(), "Korven软件");
    EXPECT_TRUE(splash.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(splash.size(), QSize(306, 206));
    EXPECT_EQ(splash.minimumSize(), splash.maximumSize()) << "the splash cannot be resized";

    EXPECT_EQ(splash.Image1->geometry(), QRect(0, 0, 307, 207));
    ASSERT_FALSE(splash.Image1->pixmap().isNull());
    EXPECT_EQ(splash.Image1->pixmap().size(), QSize(307, 207));
    EXPECT_EQ(splash.Image2->geometry(), QRect(264, 8, 33, 33));
    ASSERT_FALSE(splash.Image2->pixmap().isNull());
    EXPECT_EQ(splash.Image2->pixmap().size(), QSize(32, 32));

    EXPECT_EQ(splash.lbView->pos(), QPoint(16, 152));
    EXPECT_EQ(splash.lbView->text().toStdString(), "系统正在连接数据库，请稍候...");
    EXPECT_EQ(splash.Label1->geometry().topLeft(), QPoint(200, 24));
    EXPECT_EQ(splash.Label1->width(), 60);
    EXPECT_EQ(splash.Label1->text().toStdString(), "Korven软件");
}

}  // namespace
}  // namespace kavel
