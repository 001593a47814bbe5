#pragma once
// The Qt dialog behind TApplication::MessageBox: a QMessageBox built from a Windows flag value
// (icon, buttons with their Chinese labels, the first one default). Built apart from showing it
// so that a picture of the very box the program shows can be taken without a modal loop.

#include <QMessageBox>
#include <memory>
#include <string>

namespace kavel {

// The box, not yet shown. Each button carries the MessageBox result id of its own
// (ButtonIdOf); `parent` may be null.
std::unique_ptr<QMessageBox> BuildQtMessageBox(const std::string& text, const std::string& caption,
                                               unsigned flags, QWidget* parent);

// The result id a button of a built box stands for; 0 for a button that is not one of them.
int ButtonIdOf(const QAbstractButton* button);

// Builds the box, runs it modally and returns the pressed button's id; closed without a button
// (Escape, the close box) it answers cancel or no when the box has one, else its only button.
int ShowQtMessageBox(const std::string& text, const std::string& caption, unsigned flags);

}  // namespace kavel
