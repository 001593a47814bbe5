#pragma once
// The application object: message boxes with Windows flag values, the message pump, the default
// error box, the guard that keeps exceptions out of the Qt event loop, and the forms it owns.
//
// Every message box goes through one presenter. The default one shows a modal QMessageBox; tests
// put a recording presenter in its place so that no dialog ever blocks them.

#ifdef _WIN32
// Included first so that its MessageBox macro can be taken back for TApplication::MessageBox.
#include <windows.h>
#undef MessageBox
#endif

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "MessageBoxFlags.h"

class QObject;
class QWidget;

namespace kavel {

class TApplication {
public:
    // Shows a box and returns the pressed button's id (mb::kIdOk ...).
    using Presenter =
        std::function<int(const std::string& text, const std::string& caption, unsigned flags)>;

    int MessageBox(const std::string& text, const std::string& caption, unsigned flags);
    // Installs a presenter (an empty one restores the Qt dialog); returns the previous one.
    Presenter SetPresenter(Presenter presenter);

    // Runs the pending window messages once.
    void ProcessMessages();

    // The default error box: the error's text, caption "UpKavel", error icon.
    void HandleException(const std::exception& e);

    // Runs `handler`; any exception it raises goes to HandleException and ends there.
    template <class F>
    void Guarded(F&& handler) noexcept {
        try {
            std::forward<F>(handler)();
        } catch (const std::exception& e) {
            ReportSafely(&e);
        } catch (...) {
            ReportSafely(nullptr);
        }
    }
    // `handler` wrapped by Guarded, ready to connect to a Qt signal.
    template <class F>
    auto Guard(F handler) {
        return [this, handler = std::move(handler)]() { Guarded(handler); };
    }

    // Takes ownership of a form or data module. The first widget adopted becomes the main form.
    template <class T>
    T* Adopt(std::unique_ptr<T> component) {
        T* raw = component.get();
        AdoptObject(std::unique_ptr<QObject>(std::move(component)), IsWidget(raw));
        return raw;
    }
    QWidget* MainForm() const { return mainForm_; }

    // Shows the main form and runs the message loop until it is closed; returns at once when
    // there is no main form.
    void Run();

    // Destroys the owned forms and modules, newest first. Must run before QApplication ends.
    void DestroyComponents();

private:
    static bool IsWidget(const QObject* object);
    void AdoptObject(std::unique_ptr<QObject> component, bool isWidget);
    void ReportSafely(const std::exception* e) noexcept;

    Presenter presenter_;
    std::vector<std::unique_ptr<QObject>> components_;
    QWidget* mainForm_ = nullptr;
};

extern TApplication Application;

}  // namespace kavel
