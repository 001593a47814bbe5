#include "ProgramFolderFiles.h"

#include <QDir>

namespace kavel {
namespace {

QString PathOf(const QString& folder, const QString& name) { return QDir(folder).filePath(name); }

}  // namespace

void ThrowFileError(const char* what, const QString& folder, const QString& name,
                    const QString& reason) {
    // For example: 无法打开文件 issn.dat（文件夹 /opt/kavel）：No such file or directory
    const QString text = QString::fromUtf8(what) + " " + name + QString::fromUtf8("（文件夹 ") +
                         QDir::toNativeSeparators(folder) + QString::fromUtf8("）：") + reason;
    throw EInOutError(text.toStdString());
}

TextFileLines::TextFileLines(const QString& folder, const QString& name)
    : file_(PathOf(folder, name)), folder_(folder), name_(name) {
    // A folder of that name would open and read as empty: it is no file.
    if (QFileInfo(file_.fileName()).isDir())
        ThrowFileError("无法打开文件", folder_, name_, "Is a directory");
    if (!file_.open(QIODevice::ReadOnly))
        ThrowFileError("无法打开文件", folder_, name_, file_.errorString());
}

bool TextFileLines::ReadLine(std::string& line) {
    if (file_.atEnd()) return false;
    const QByteArray bytes = file_.readLine();
    if (file_.error() != QFileDevice::NoError)
        ThrowFileError("无法读取文件", folder_, name_, file_.errorString());
    std::size_t length = static_cast<std::size_t>(bytes.size());
    if (length > 0 && bytes[length - 1] == '\n') --length;
    if (length > 0 && bytes[length - 1] == '\r') --length;
    line.assign(bytes.constData(), length);
    return true;
}

ReplacedFile::ReplacedFile(const QString& folder, const QString& name)
    : file_(PathOf(folder, name)), folder_(folder), name_(name) {
    // Never write through in place: without a temporary file there is nothing to keep safe.
    file_.setDirectWriteFallback(false);
    if (!file_.open(QIODevice::WriteOnly)) Fail("无法创建文件");
}

void ReplacedFile::WriteLine(const std::string& bytes) {
    const auto size = static_cast<qint64>(bytes.size());
    if (file_.write(bytes.data(), size) != size || file_.write("\r\n", 2) != 2)
        Fail("无法写入文件");
}

void ReplacedFile::Commit() {
    if (!file_.commit()) Fail("无法写入文件");
}

void ReplacedFile::Fail(const char* what) const {
    ThrowFileError(what, folder_, name_, file_.errorString());
}

}  // namespace kavel
