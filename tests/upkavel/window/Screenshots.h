#pragma once
// Saves a picture of a widget as <build>/screenshots/<name>.png for people to look at.

#include <string>

class QWidget;

namespace kavel::test {

// Returns the path written; fails the current test when the file cannot be written.
std::string SaveScreenshot(QWidget& widget, const std::string& name);

}  // namespace kavel::test
