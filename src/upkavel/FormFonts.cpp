#include "FormFonts.h"

#include <QStringList>

namespace kavel {

QFont SongTiFont(int pixelHeight) {
    QFont font;
    font.setFamilies(QStringList{"宋体", "SimSun", "NSimSun", "WenQuanYi Zen Hei",
                                 "Noto Sans CJK SC", "Noto Sans SC"});
    font.setPixelSize(pixelHeight);
    return font;
}

}  // namespace kavel
