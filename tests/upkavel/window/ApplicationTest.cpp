// The application object: the default error box, the handler guard, the presenter, and the
// ownership of forms.

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <stdexcept>

#include "RecordingPresenter.h"
#include "TApplication.h"

namespace kavel {
namespace {

using test::RecordingPresenter;

TEST(ApplicationTest, GuardTurnsAnyExceptionIntoTheDefaultErrorBox) {
    RecordingPresenter boxes;
    Application.Guarded([] { throw std::runtime_error("Invalid object name 'lib_x'."); });
    Application.Guarded([] { throw 42; });
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[0].text, "Invalid object name 'lib_x'.");
    EXPECT_EQ(boxes.Boxes()[0].caption, "UpKavel");
    EXPECT_EQ(boxes.Boxes()[0].flags, 0x10u);
    EXPECT_EQ(boxes.Boxes()[1].caption, "UpKavel");
    EXPECT_FALSE(boxes.Boxes()[1].text.empty());
}

TEST(ApplicationTest, AFailingErrorBoxStillLetsNothingEscape) {
    auto previous =
        Application.SetPresenter([](const std::string&, const std::string&, unsigned) -> int {
            throw std::runtime_error("no display");
        });
    EXPECT_NO_THROW(Application.Guarded([] { throw std::runtime_error("first"); }));
    Application.SetPresenter(std::move(previous));
}

TEST(ApplicationTest, AGuardedButtonHandlerReportsAndTheButtonKeepsWorking) {
    RecordingPresenter boxes;
    QPushButton button("x");
    int clicks = 0;
    QObject::connect(&button, &QPushButton::clicked, Application.Guard([&clicks] {
        if (++clicks == 1) throw std::runtime_error("lost connection");
    }));
    QTest::mouseClick(&button, Qt::LeftButton);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicks, 2);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "lost connection");
}

TEST(ApplicationTest, MessageBoxPassesTextCaptionAndFlagsAndReturnsTheAnswer) {
    RecordingPresenter boxes;
    EXPECT_EQ(Application.MessageBox("完成", "提示信息", mb::kOk | mb::kIconInformation),
              mb::kIdOk);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "完成");
    EXPECT_EQ(boxes.Boxes()[0].caption, "提示信息");
    EXPECT_EQ(boxes.Boxes()[0].flags, 0x40u);
}

TEST(ApplicationTest, TheFirstAdoptedWidgetIsTheMainFormAndAModuleDoesNotCount) {
    Application.DestroyComponents();
    auto* module = Application.Adopt(std::make_unique<QObject>());
    auto* first = Application.Adopt(std::make_unique<QWidget>());
    Application.Adopt(std::make_unique<QWidget>());
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(Application.MainForm(), first);
    Application.DestroyComponents();
    EXPECT_EQ(Application.MainForm(), nullptr);
}

}  // namespace
}  // namespace kavel
