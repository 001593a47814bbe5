#pragma once
// The program's form font "宋体" at a character height in pixels. Where that face is missing
// (any system without the Windows fonts) the next installed face that has the Chinese glyphs
// stands in, so captions never turn into boxes.

#include <QFont>

namespace kavel {

QFont SongTiFont(int pixelHeight);

}  // namespace kavel
