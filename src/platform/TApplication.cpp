#include "TApplication.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QWidget>

namespace kavel {

TApplication Application;

namespace {

QMessageBox::Icon IconOf(unsigned flags) {
    switch (flags & 0xF0) {
        case mb::kIconError: return QMessageBox::Critical;
        case mb::kIconQuestion: return QMessageBox::Question;
        case mb::kIconWarning: return QMessageBox::Warning;
        case mb::kIconInformation: return QMessageBox::Information;
        default: return QMessageBox::NoIcon;
    }
}

// The buttons of a Windows flag value, each with the id that MessageBox returns for it.
std::vector<std::pair<QString, int>> ButtonsOf(unsigned flags) {
    const std::pair<QString, int> ok{"确定", mb::kIdOk}, cancel{"取消", mb::kIdCancel},
        abort{"中止", mb::kIdAbort}, retry{"重试", mb::kIdRetry}, ignore{"忽略", mb::kIdIgnore},
        yes{"是", mb::kIdYes}, no{"否", mb::kIdNo};
    switch (flags & 0x0F) {
        case mb::kOkCancel: return {ok, cancel};
        case mb::kAbortRetryIgnore: return {abort, retry, ignore};
        case mb::kYesNoCancel: return {yes, no, cancel};
        case mb::kYesNo: return {yes, no};
        case mb::kRetryCancel: return {retry, cancel};
        default: return {ok};
    }
}

int ShowQtMessageBox(const std::string& text, const std::string& caption, unsigned flags) {
    QMessageBox box(IconOf(flags), QString::fromStdString(caption), QString::fromStdString(text),
                    QMessageBox::NoButton, QApplication::activeWindow());
    std::vector<std::pair<QAbstractButton*, int>> ids;
    for (const auto& [label, id] : ButtonsOf(flags)) {
        QPushButton* button = box.addButton(label, QMessageBox::AcceptRole);
        ids.emplace_back(button, id);
        if (ids.size() == 1) box.setDefaultButton(button);
    }
    box.exec();
    for (const auto& [button, id] : ids)
        if (box.clickedButton() == button) return id;
    // Closed without a button (Escape or the window's close box): the cancelling answer.
    const auto buttons = ButtonsOf(flags);
    for (const auto& [label, id] : buttons)
        if (id == mb::kIdCancel || id == mb::kIdNo) return id;
    return buttons.front().second;
}

}  // namespace

int TApplication::MessageBox(const std::string& text, const std::string& caption,
                             unsigned flags) {
    if (presenter_) return presenter_(text, caption, flags);
    return ShowQtMessageBox(text, caption, flags);
}

TApplication::Presenter TApplication::SetPresenter(Presenter presenter) {
    return std::exchange(presenter_, std::move(presenter));
}

void TApplication::ProcessMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void TApplication::HandleException(const std::exception& e) {
    MessageBox(e.what(), "UpKavel", mb::kOk | mb::kIconError);
}

void TApplication::ReportSafely(const std::exception* e) noexcept {
    try {
        if (e) {
            HandleException(*e);
        } else {
            MessageBox("An unknown error occurred", "UpKavel", mb::kOk | mb::kIconError);
        }
    } catch (...) {
        // The error box itself failed (out of memory, no display): nothing more can be shown,
        // and the event loop must still not see an exception.
    }
}

bool TApplication::IsWidget(const QObject* object) { return object && object->isWidgetType(); }

void TApplication::AdoptObject(std::unique_ptr<QObject> component, bool isWidget) {
    if (isWidget && !mainForm_) mainForm_ = static_cast<QWidget*>(component.get());
    components_.push_back(std::move(component));
}

void TApplication::Run() {
    if (!mainForm_) return;
    mainForm_->show();
    QApplication::exec();
}

void TApplication::DestroyComponents() {
    mainForm_ = nullptr;
    while (!components_.empty()) components_.pop_back();
}

}  // namespace kavel
