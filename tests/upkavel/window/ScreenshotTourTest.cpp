// The screenshot tour: the upgrade window of a real run on the oldest layout, from the start to
// the success box, then the error box of a run that fails, saved under <build>/screenshots/ as
// tour-*.png for people to look at. The boxes are the program's own QMessageBox, built by the
// platform layer with the text, caption and flags the run asked for, shown without a modal loop.
// (The splash is saved by StartUpTest as splash.png.)

#include <QImage>
#include <QProgressBar>
#include <optional>

#include "FormTest.h"
#include "QtMessageBox.h"

namespace kavel {
namespace {

// Shows the box the program would show for this call, saves its picture, closes it.
void SaveBoxScreenshot(const test::RecordedBox& call, QWidget* parent, const std::string& name) {
    const auto box = BuildQtMessageBox(call.text, call.caption, call.flags, parent);
    box->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(box.get()));
    EXPECT_EQ(box->text().toStdString(), call.text);
    EXPECT_EQ(box->windowTitle().toStdString(), call.caption);
    const QImage picture(QString::fromStdString(test::SaveScreenshot(*box, name)));
    EXPECT_GT(picture.width(), 100) << "no picture of the box";
    box->close();
}

class ScreenshotTourTest : public test::FormTest {};

TEST_F(ScreenshotTourTest, TheOldestLayoutFromStartToSuccessThenAFailingRun) {
    StartForm(test::kOldestLayout);
    if (IsSkipped()) return;
    form->Runner.ProgramFolder = KAVEL_SHIPPED_DATA_DIR;  // the shipped issn.dat: a long import
    QTest::mouseClick(form->cbBackup, Qt::LeftButton, {}, QPoint(6, 8));
    test::SaveScreenshot(*form, "tour-1-start");
    QTest::mouseClick(form->cbBackup, Qt::LeftButton, {}, QPoint(6, 8));
    form->ckBefore->setChecked(true);
    test::SaveScreenshot(*form, "tour-2-ready");

    // The first time the bar moves while shown: the ISSN import of the baseline, between two
    // turns of its message pump.
    std::optional<int> barAtShot;
    QObject::connect(form->pgbBar, &QProgressBar::valueChanged, form.get(), [&](int value) {
        if (barAtShot || !form->pgbBar->isVisible() || value < 1) return;
        barAtShot = value;
        test::SaveScreenshot(*form, "tour-3-running");
    });
    std::vector<std::string> pictures = {"tour-4-success-box", "tour-6-error-box"};
    test::RecordingPresenter boxes([&](const test::RecordedBox& box) {
        SaveBoxScreenshot(box, form.get(), pictures.at(boxes.Boxes().size() - 1));
    });
    Click(form->btUp);
    ASSERT_TRUE(barAtShot.has_value()) << "the progress bar was never shown moving";
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, test::kSuccessText);
    test::SaveScreenshot(*form, "tour-5-done");

    // A primary key named ver_manage in the way of the ledger: the run stops at once.
    form->Runner.RunSql("drop table ver_manage");
    form->Runner.RunSql("create table lib_other (ot_id int not null)");
    form->Runner.RunSql("alter table lib_other add constraint ver_manage primary key (ot_id)");
    Click(form->btUp);
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[1].caption, "UpKavel");
}

}  // namespace
}  // namespace kavel
