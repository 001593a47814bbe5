// What the window relies on from the application object and the program's message box beyond
// the boxes every other test records: no exception escapes a guarded handler, also when the box
// itself fails; each box the program shows has its icon and one OK button. (The real modal box,
// answered with Return, is in UpKavelBinaryTest.)

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <stdexcept>

#include "QtMessageBox.h"
#include "RecordingPresenter.h"
#include "TApplication.h"

namespace kavel {
namespace {

TEST(ApplicationTest, TheGuardLetsNoExceptionEscapeNotEvenFromAFailingBox) {
    {
        test::RecordingPresenter boxes;
        Application.Guarded([] { throw 42; });
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].caption, "UpKavel");
        EXPECT_EQ(boxes.Boxes()[0].flags, 0x10u);
    }
    auto previous = Application.SetPresenter(
        [](const std::string&, const std::string&, unsigned) -> int { throw std::bad_alloc(); });
    EXPECT_NO_THROW(Application.Guarded([] { throw std::runtime_error("first"); }));
    Application.SetPresenter(std::move(previous));
}

TEST(QtMessageBoxTest, TheProgramsBoxesHaveTheirIconAndOneOkButton) {
    const std::pair<unsigned, QMessageBox::Icon> cases[] = {
        {mb::kOk | mb::kIconError, QMessageBox::Critical},           // the guard's error box
        {mb::kOk | mb::kIconInformation, QMessageBox::Information},  // success, tools done
        {mb::kOk, QMessageBox::NoIcon}};  // the connection error at start-up
    for (const auto& [flags, icon] : cases) {
        const auto box = BuildQtMessageBox("正文", "标题", flags, nullptr);
        EXPECT_EQ(box->icon(), icon) << flags;
        ASSERT_EQ(box->buttons().size(), 1) << flags;
        EXPECT_EQ(box->buttons()[0]->text(), "确定");
        EXPECT_EQ(ButtonIdOf(box->buttons()[0]), mb::kIdOk);
    }
}

}  // namespace
}  // namespace kavel
