#include "FormLook.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QStringList>
#include <QWidget>
#include <QWindow>

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

void ShowAtOnce(QWidget& form) {
    form.show();
    const QDeadlineTimer deadline(250);
    while (form.windowHandle() && !form.windowHandle()->isExposed() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
    form.repaint();
}

}  // namespace kavel
