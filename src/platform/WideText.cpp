#include "WideText.h"

#include <QString>

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "the ODBC wide API must be UTF-16");

namespace kavel {

WideString ToWide(std::string_view utf8) {
    const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    const auto* units = reinterpret_cast<const SQLWCHAR*>(text.utf16());
    return WideString(units, static_cast<std::size_t>(text.size()));
}

std::string FromWide(const SQLWCHAR* text, std::size_t length) {
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(text),
                              static_cast<qsizetype>(length))
        .toStdString();
}

}  // namespace kavel
