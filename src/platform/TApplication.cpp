#include "TApplication.h"

#include <QApplication>
#include <QWidget>

#include "QtMessageBox.h"

namespace kavel {

TApplication Application;

int TApplication::MessageBox(const std::string& text, const std::string& caption, unsigned flags) {
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
