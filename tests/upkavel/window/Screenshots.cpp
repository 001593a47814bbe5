#include "Screenshots.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QPixmap>
#include <QWidget>

namespace kavel::test {

std::string SaveScreenshot(QWidget& widget, const std::string& name) {
    const QString dir = QStringLiteral(KAVEL_SCREENSHOT_DIR);
    QDir().mkpath(dir);
    const QString path = dir + "/" + QString::fromStdString(name) + ".png";
    const bool saved = widget.grab().save(path, "PNG");
    EXPECT_TRUE(saved) << "cannot write " << path.toStdString();
    return path.toStdString();
}

}  // namespace kavel::test
