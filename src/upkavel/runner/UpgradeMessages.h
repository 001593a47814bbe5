#pragma once
// The message boxes a run asks for: text, caption and Windows flags (MessageBoxFlags.h). The
// window shows a box and waits until it is closed; the console program prints the text.

#include <string>

#include "MessageBoxFlags.h"

namespace kavel {

class UpgradeMessages {
public:
    virtual ~UpgradeMessages() = default;

    // Shows the box and returns the id of the button that closed it (mb::kIdOk ...).
    virtual int Show(const std::string& text, const std::string& caption, unsigned flags) = 0;
};

}  // namespace kavel
