#include "frmFlashTools.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPixmap>

#include "FormLook.h"
#include "unTools.h"

namespace kavel {

TFlashTools* FlashTools = nullptr;

namespace {

QLabel* TextLabel(QWidget* parent, const char* name, QRect geometry, const char* text,
                  const QColor& colour) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    label->setFont(SongTiFont(15));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    label->setAttribute(Qt::WA_TranslucentBackground);  // the picture shows through
    label->adjustSize();  // the label grows with its text from its top left corner
    return label;
}

// Keeps a label within `width` pixels, where a wider one would run under its neighbour: the
// font steps down from its size until the text fits (never below 9 pixels).
void FitWidth(QLabel& label, int width) {
    QFont font = label.font();
    while (font.pixelSize() > 9 && QFontMetrics(font).horizontalAdvance(label.text()) > width)
        font.setPixelSize(font.pixelSize() - 1);
    label.setFont(font);
    label.resize(width, label.height());
}

}  // namespace

TFlashTools::TFlashTools(QWidget* parent) : QWidget(parent, Qt::Window | Qt::FramelessWindowHint) {
    setObjectName("FlashTools");
    setWindowTitle("Korven软件");
    setFixedSize(306, 206);
    UseButtonFace(*this);

    Image1 = new QLabel(this);
    Image1->setObjectName("Image1");
    Image1->setGeometry(0, 0, 307, 207);
    Image1->setPixmap(QPixmap(":/upkavel/splash.jpg"));
    lbView = TextLabel(this, "lbView", {16, 152, 189, 15}, "系统正在初始化，请稍候...", Qt::white);
    Label1 = TextLabel(this, "Label1", {200, 24, 60, 15}, "Korven软件", QColor(255, 0, 255));
    FitWidth(*Label1, 60);  // the icon begins right after it
    Image2 = new QLabel(this);
    Image2->setObjectName("Image2");
    Image2->setGeometry(264, 8, 33, 33);
    Image2->setPixmap(QPixmap(":/upkavel/icon32.png"));

    CenterOnScreen(*this);
    FormCreate();
}

TFlashTools::~TFlashTools() {
    if (FlashTools == this) FlashTools = nullptr;
}

void TFlashTools::FormCreate() {
    lbView->setText(QString::fromStdString(ConnectGate));
    lbView->adjustSize();
}

}  // namespace kavel
