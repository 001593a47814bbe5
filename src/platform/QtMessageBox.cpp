#include "QtMessageBox.h"

#include <QApplication>
#include <QPushButton>
#include <utility>
#include <vector>

#include "TApplication.h"

namespace kavel {

namespace {

constexpr const char* kIdProperty = "kavelMessageBoxId";

QMessageBox::Icon IconOf(unsigned flags) {
    switch (flags & 0xF0) {
        case mb::kIconError:
            return QMessageBox::Critical;
        case mb::kIconQuestion:
            return QMessageBox::Question;
        case mb::kIconWarning:
            return QMessageBox::Warning;
        case mb::kIconInformation:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

// The buttons of a Windows flag value, each with the id that MessageBox returns for it.
std::vector<std::pair<QString, int>> ButtonsOf(unsigned flags) {
    const std::pair<QString, int> ok{"确定", mb::kIdOk}, cancel{"取消", mb::kIdCancel},
        abort{"中止", mb::kIdAbort}, retry{"重试", mb::kIdRetry}, ignore{"忽略", mb::kIdIgnore},
        yes{"是", mb::kIdYes}, no{"否", mb::kIdNo};
    switch (flags & 0x0F) {
        case mb::kOkCancel:
            return {ok, cancel};
        case mb::kAbortRetryIgnore:
            return {abort, retry, ignore};
        case mb::kYesNoCancel:
            return {yes, no, cancel};
        case mb::kYesNo:
            return {yes, no};
        case mb::kRetryCancel:
            return {retry, cancel};
        default:
            return {ok};
    }
}

}  // namespace

std::unique_ptr<QMessageBox> BuildQtMessageBox(const std::string& text, const std::string& caption,
                                               unsigned flags, QWidget* parent) {
    auto box =
        std::make_unique<QMessageBox>(IconOf(flags), QString::fromStdString(caption),
                                      QString::fromStdString(text), QMessageBox::NoButton, parent);
    bool first = true;
    QPushButton* escape = nullptr;  // cancel, else no; Qt makes a lone button the escape one
    for (const auto& [label, id] : ButtonsOf(flags)) {
        QPushButton* button = box->addButton(label, QMessageBox::AcceptRole);
        button->setProperty(kIdProperty, id);
        if (std::exchange(first, false)) box->setDefaultButton(button);
        if (id == mb::kIdCancel || (id == mb::kIdNo && !escape)) escape = button;
    }
    // All buttons share one role, so Qt finds no escape button by itself when there are several.
    if (escape) box->setEscapeButton(escape);
    return box;
}

int ButtonIdOf(const QAbstractButton* button) {
    return button ? button->property(kIdProperty).toInt() : 0;
}

int ShowQtMessageBox(const std::string& text, const std::string& caption, unsigned flags) {
    const auto box = BuildQtMessageBox(text, caption, flags, QApplication::activeWindow());
    box->exec();
    if (const int id = ButtonIdOf(box->clickedButton())) return id;
    // Closed by the window manager without any button.
    const auto buttons = ButtonsOf(flags);
    for (const auto& [label, id] : buttons)
        if (id == mb::kIdCancel || id == mb::kIdNo) return id;
    return buttons.front().second;
}

}  // namespace kavel
