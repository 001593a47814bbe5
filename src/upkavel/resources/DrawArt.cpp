// Draws the program's own pictures: the splash background, the 32 x 32 splash icon, the window
// icon and the Windows program icon. Run by hand after a change, then commit the files:
//   cmake --build BUILD --target upkavel_draw_art && BUILD/src/upkavel/upkavel_draw_art DIR
// The art: a stack of journals with an upward arrow (an upgrade of a periodicals system) on a
// calm blue ground, leaving the splash's lower left dark for its white status text.

#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cstdio>

namespace {

// A journal seen slightly from above: coloured cover, pale page edge, a title band.
void Journal(QPainter& p, QRectF r, QColor cover) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(240, 236, 224));
    p.drawRoundedRect(r.translated(r.width() * 0.04, r.height() * 0.05), 2, 2);
    p.setBrush(cover);
    p.drawRoundedRect(r, 2, 2);
    p.setBrush(cover.lighter(150));
    p.drawRect(QRectF(r.left() + r.width() * 0.14, r.top() + r.height() * 0.18, r.width() * 0.72,
                      r.height() * 0.16));
    p.setBrush(cover.darker(130));
    p.drawRect(QRectF(r.left(), r.top(), r.width() * 0.07, r.height()));
}

void UpArrow(QPainter& p, QPointF tip, double size, QColor colour) {
    QPainterPath arrow;
    arrow.moveTo(tip);
    arrow.lineTo(tip.x() + size * 0.5, tip.y() + size * 0.45);
    arrow.lineTo(tip.x() + size * 0.2, tip.y() + size * 0.45);
    arrow.lineTo(tip.x() + size * 0.2, tip.y() + size);
    arrow.lineTo(tip.x() - size * 0.2, tip.y() + size);
    arrow.lineTo(tip.x() - size * 0.2, tip.y() + size * 0.45);
    arrow.lineTo(tip.x() - size * 0.5, tip.y() + size * 0.45);
    arrow.closeSubpath();
    p.setPen(QPen(colour.darker(160), qMax(1.0, size / 16)));
    p.setBrush(colour);
    p.drawPath(arrow);
}

QImage Icon(int side) {
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = side / 32.0;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(28, 64, 120));
    p.drawRoundedRect(QRectF(1 * s, 1 * s, 30 * s, 30 * s), 5 * s, 5 * s);
    Journal(p, QRectF(5 * s, 15 * s, 13 * s, 13 * s), QColor(214, 92, 64));
    Journal(p, QRectF(9 * s, 11 * s, 13 * s, 13 * s), QColor(64, 150, 120));
    UpArrow(p, QPointF(22 * s, 3 * s), 14 * s, QColor(250, 200, 60));
    return image;
}

QImage Splash() {
    QImage image(307, 207, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 207);
    sky.setColorAt(0, QColor(44, 92, 156));
    sky.setColorAt(1, QColor(12, 30, 64));
    p.fillRect(image.rect(), sky);
    QRadialGradient glow(QPointF(220, 90), 140);
    glow.setColorAt(0, QColor(255, 255, 255, 60));
    glow.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(image.rect(), glow);
    // Shelf lines.
    p.setPen(QPen(QColor(255, 255, 255, 40), 1));
    for (int y = 60; y < 140; y += 18) p.drawLine(20, y, 160, y);
    // A fanned stack of journals.
    Journal(p, QRectF(150, 92, 58, 72), QColor(196, 76, 58));
    Journal(p, QRectF(178, 80, 58, 72), QColor(52, 140, 112));
    Journal(p, QRectF(206, 68, 58, 72), QColor(226, 170, 52));
    UpArrow(p, QPointF(276, 52), 34, QColor(250, 214, 90));
    // The product's name.
    QFont title;
    title.setFamilies({"DejaVu Sans", "Liberation Sans"});
    title.setPixelSize(38);
    title.setBold(true);
    p.setFont(title);
    p.setPen(QColor(255, 255, 255, 230));
    p.drawText(QRectF(18, 66, 140, 48), Qt::AlignLeft | Qt::AlignVCenter, "Kavel");
    QFont sub = title;
    sub.setPixelSize(13);
    sub.setBold(false);
    p.setFont(sub);
    p.setPen(QColor(200, 220, 250));
    p.drawText(QRectF(20, 110, 160, 18), Qt::AlignLeft | Qt::AlignVCenter, "Upgrade  6.2017");
    // A pale card in the top right corner for the maker's name and the icon.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(246, 244, 250, 235));
    p.drawRoundedRect(QRectF(192, 4, 110, 40), 6, 6);
    // Dark band behind the status text.
    p.fillRect(QRectF(0, 144, 307, 63), QColor(0, 0, 0, 70));
    return image;
}

bool Save(const QImage& image, const QString& path, const char* format, int quality = -1) {
    if (image.save(path, format, quality)) return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString(".");
    bool ok = Save(Splash(), dir + "/splash.jpg", "JPG", 92);
    ok = Save(Icon(32), dir + "/icon32.png", "PNG") && ok;
    ok = Save(Icon(64), dir + "/UpKavel.png", "PNG") && ok;
    ok = Save(Icon(32), dir + "/UpKavel.ico", "ICO") && ok;
    return ok ? 0 : 1;
}
