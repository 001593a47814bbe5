// The screenshot tour: the upgrade window of a real run on the oldest layout, from the start to
// the success box, and the error box of a failing run, saved under <build>/screenshots/ as
// tour-*.png for people to look at. The boxes are the program's own QMessageBox, built by the
// platform layer with the text, caption and flags the run asked for, shown without a modal loop.
// (The splash is saved by StartUpTest as splash.png.)

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QImage>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <optional>

#include "QtMessageBox.h"
#include "RecordingPresenter.h"
#include "Screenshots.h"
#include "StandinDatabase.h"
#include "frmUpKavelMain.h"

namespace kavel {
namespace {

// Shows the box the program would show for this call, saves its picture, closes it.
std::string SaveBoxScreenshot(const test::RecordedBox& call, QWidget* parent,
                              const std::string& name) {
    const auto box = BuildQtMessageBox(call.text, call.caption, call.flags, parent);
    box->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(box.get()));
    EXPECT_EQ(box->text().toStdString(), call.text);
    EXPECT_EQ(box->windowTitle().toStdString(), call.caption);
    const std::string path = test::SaveScreenshot(*box, name);
    box->close();
    return path;
}

class ScreenshotTourTest : public test::StandinDatabaseTest {
protected:
    void StartForm(const char* fixture, const std::string& extraSql = {}) {
        StartStandinOn(fixture, extraSql);
        if (IsSkipped()) return;
        form = std::make_unique<TUpKavelMain>(database);
        form->Runner.ProgramFolder = KAVEL_SHIPPED_DATA_DIR;
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }
    std::unique_ptr<TUpKavelMain> form;
};

TEST_F(ScreenshotTourTest, TheOldestLayoutFromStartToSuccess) {
    StartForm(test::kOldestLayout);
    if (IsSkipped()) return;
    test::SaveScreenshot(*form, "tour-1-start");
    QTest::mouseClick(form->cbBackup, Qt::LeftButton, {}, QPoint(6, 8));
    form->ckBefore->setChecked(true);
    ASSERT_TRUE(form->btUp->isEnabled());
    test::SaveScreenshot(*form, "tour-2-ready");

    // The first time the bar moves while shown: the ISSN import of the baseline, between two
    // turns of its message pump.
    std::optional<int> barAtShot;
    QObject::connect(form->pgbBar, &QProgressBar::valueChanged, form.get(), [&](int value) {
        if (barAtShot || !form->pgbBar->isVisible() || value < 1) return;
        barAtShot = value;
        test::SaveScreenshot(*form, "tour-3-running");
    });
    std::optional<test::RecordedBox> success;
    test::RecordingPresenter boxes([&](const test::RecordedBox& box) {
        success = box;
        SaveBoxScreenshot(box, form.get(), "tour-4-success-box");
    });
    QTest::mouseClick(form->btUp, Qt::LeftButton);

    ASSERT_TRUE(barAtShot.has_value()) << "the progress bar was never shown moving";
    ASSERT_TRUE(success.has_value());
    EXPECT_EQ(success->text, "Kavel升级成功，请更新Kavel.exe");
    EXPECT_EQ(success->caption, "提示信息");
    EXPECT_FALSE(form->pgbBar->isVisible());
    test::SaveScreenshot(*form, "tour-5-done");
}

TEST_F(ScreenshotTourTest, TheErrorBoxOfAFailingRun) {
    // The small old library with a primary key named ver_manage in the way: a step fails and the
    // run stops with the server's message, which is all this picture needs.
    StartForm(test::kSampleLibrary,
              "create table lib_other (ot_id int not null)\nGO\n"
              "alter table lib_other add constraint ver_manage primary key nonclustered (ot_id)\n"
              "GO\n");
    if (IsSkipped()) return;
    QTest::mouseClick(form->cbBackup, Qt::LeftButton, {}, QPoint(6, 8));
    std::optional<test::RecordedBox> error;
    std::string path;
    test::RecordingPresenter boxes([&](const test::RecordedBox& box) {
        error = box;
        path = SaveBoxScreenshot(box, form.get(), "tour-6-error-box");
    });
    QTest::mouseClick(form->btUp, Qt::LeftButton);

    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->caption, "UpKavel");
    EXPECT_EQ(error->flags, mb::kOk | mb::kIconError);
    EXPECT_FALSE(error->text.empty());
    // The file holds a picture of the box, not an empty grab.
    const QImage picture(QString::fromStdString(path));
    EXPECT_GT(picture.width(), 100);
    EXPECT_GT(picture.height(), 50);
}

}  // namespace
}  // namespace kavel
