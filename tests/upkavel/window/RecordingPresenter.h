#pragma once
// Puts a recorder in place of the message-box dialog for the life of the object, so no box ever
// blocks a test; each box is kept with its text, caption and flags. An optional callback runs
// while the box is "open", to look at the forms at that moment.

#include <functional>
#include <string>
#include <vector>

#include "TApplication.h"

namespace kavel::test {

struct RecordedBox {
    std::string text;
    std::string caption;
    unsigned flags = 0;
};

class RecordingPresenter {
public:
    explicit RecordingPresenter(std::function<void(const RecordedBox&)> whileOpen = {})
        : whileOpen_(std::move(whileOpen)),
          previous_(Application.SetPresenter(
              [this](const std::string& text, const std::string& caption, unsigned flags) {
                  boxes_.push_back({text, caption, flags});
                  if (whileOpen_) whileOpen_(boxes_.back());
                  return mb::kIdOk;
              })) {}
    ~RecordingPresenter() { Application.SetPresenter(std::move(previous_)); }
    RecordingPresenter(const RecordingPresenter&) = delete;
    RecordingPresenter& operator=(const RecordingPresenter&) = delete;

    const std::vector<RecordedBox>& Boxes() const { return boxes_; }

private:
    std::vector<RecordedBox> boxes_;
    std::function<void(const RecordedBox&)> whileOpen_;
    TApplication::Presenter previous_;
};

}  // namespace kavel::test
