#include "RecordingPresenter.h"

namespace kavel::test {

RecordingPresenter::RecordingPresenter(std::function<void(const RecordedBox&)> whileOpen)
    : whileOpen_(std::move(whileOpen)) {
    previous_ = Application.SetPresenter(
        [this](const std::string& text, const std::string& caption, unsigned flags) {
            boxes_.push_back({text, caption, flags});
            if (whileOpen_) whileOpen_(boxes_.back());
            return mb::kIdOk;
        });
}

RecordingPresenter::~RecordingPresenter() { Application.SetPresenter(std::move(previous_)); }

}  // namespace kavel::test
