// The program's Qt message box: icon, buttons and their result ids for each Windows flag value,
// and the answer of a box closed without a button.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>

#include "QtMessageBox.h"
#include "TApplication.h"

namespace kavel {
namespace {

TEST(QtMessageBoxTest, EachFlagValueGivesItsIconButtonsAndIds) {
    struct Case {
        unsigned flags;
        QMessageBox::Icon icon;
        std::vector<std::pair<QString, int>> buttons;  // in order; the first is the default
    };
    const std::vector<Case> cases = {
        {mb::kOk | mb::kIconInformation, QMessageBox::Information, {{"确定", mb::kIdOk}}},
        {mb::kOk | mb::kIconError, QMessageBox::Critical, {{"确定", mb::kIdOk}}},
        {mb::kOkCancel | mb::kIconWarning,
         QMessageBox::Warning,
         {{"确定", mb::kIdOk}, {"取消", mb::kIdCancel}}},
        {mb::kYesNo | mb::kIconQuestion,
         QMessageBox::Question,
         {{"是", mb::kIdYes}, {"否", mb::kIdNo}}},
        {mb::kYesNoCancel,
         QMessageBox::NoIcon,
         {{"是", mb::kIdYes}, {"否", mb::kIdNo}, {"取消", mb::kIdCancel}}},
        {mb::kAbortRetryIgnore | mb::kIconError,
         QMessageBox::Critical,
         {{"中止", mb::kIdAbort}, {"重试", mb::kIdRetry}, {"忽略", mb::kIdIgnore}}},
        {mb::kRetryCancel, QMessageBox::NoIcon, {{"重试", mb::kIdRetry}, {"取消", mb::kIdCancel}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flags);
        const auto box = BuildQtMessageBox("正文", "标题", c.flags, nullptr);
        EXPECT_EQ(box->text(), "正文");
        EXPECT_EQ(box->windowTitle(), "标题");
        EXPECT_EQ(box->icon(), c.icon);
        std::vector<std::pair<QString, int>> buttons;
        for (QAbstractButton* b : box->buttons()) buttons.emplace_back(b->text(), ButtonIdOf(b));
        // QMessageBox lays its buttons out by role, not in the order added: compare as sets.
        auto expected = c.buttons;
        std::sort(buttons.begin(), buttons.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(buttons, expected);
        ASSERT_NE(box->defaultButton(), nullptr);
        EXPECT_EQ(ButtonIdOf(box->defaultButton()), c.buttons.front().second);
    }
}

// Shows the real modal box and, once it is up, acts on it; returns what ShowQtMessageBox answered.
template <class Act>
int ShowAndAct(unsigned flags, Act act) {
    QTimer::singleShot(0, [act] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        act(*box);
    });
    return ShowQtMessageBox("正文", "标题", flags);
}

TEST(QtMessageBoxTest, TheAnswerIsTheClickedButtonOrTheCancellingOneOnEscape) {
    EXPECT_EQ(ShowAndAct(mb::kYesNo,
                         [](QMessageBox& box) {
                             for (QAbstractButton* b : box.buttons())
                                 if (ButtonIdOf(b) == mb::kIdNo) b->click();
                         }),
              mb::kIdNo);
    EXPECT_EQ(ShowAndAct(mb::kOkCancel, [](QMessageBox& box) { box.defaultButton()->click(); }),
              mb::kIdOk);
    const auto escape = [](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); };
    EXPECT_EQ(ShowAndAct(mb::kYesNoCancel, escape), mb::kIdCancel);
    EXPECT_EQ(ShowAndAct(mb::kYesNo, escape), mb::kIdNo);
    EXPECT_EQ(ShowAndAct(mb::kOk, escape), mb::kIdOk);
}

}  // namespace
}  // namespace kavel
