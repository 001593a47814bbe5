#pragma once
// What the program's forms share in their look: the font "宋体" at a character height in pixels,
// the system button face as the form colour, and a place in the middle of the screen.
// Where "宋体" is missing (any system without the Windows fonts) the next installed face that has
// the Chinese glyphs stands in, so captions never turn into boxes.

#include <QFont>

class QWidget;

namespace kavel {

QFont SongTiFont(int pixelHeight);
void UseButtonFace(QWidget& form);
void CenterOnScreen(QWidget& form);
// Shows a window and draws it now, before the program goes on with blocking work (no message
// loop runs yet). Where the display server maps windows on its own time (X11, Wayland) it
// waits for that, at most a quarter of a second, handling no user input meanwhile.
void ShowAtOnce(QWidget& form);

}  // namespace kavel
