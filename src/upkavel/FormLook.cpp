#include "FormLook.h"

#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QStringList>
#include <QWidget>

namespace kavel {

QFont SongTiFont(int pixelHeight) {
    QFont font;
    font.setFamilies(QStringList{"宋体", "SimSun", "NSimSun", "WenQuanYi Zen Hei",
                                 "Noto Sans CJK SC", "Noto Sans SC"});
    font.setPixelSize(pixelHeight);
    return font;
}

void UseButtonFace(QWidget& form) {
    QPalette face = form.palette();
    face.setColor(QPalette::Window, face.color(QPalette::Button));
    form.setPalette(face);
    form.setAutoFillBackground(true);
}

void CenterOnScreen(QWidget& form) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(0, 0), form.size());
        frame.moveCenter(screen->availableGeometry().center());
        form.move(frame.topLeft());
    }
}

}  // namespace kavel
