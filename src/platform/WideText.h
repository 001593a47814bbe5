#pragma once
// UTF-8 (the program's text) <-> UTF-16 (the ODBC wide API's SQLWCHAR) at the driver boundary.

#ifdef _WIN32
#include <windows.h>  // the ODBC headers of Windows build on it
#endif
#include <sql.h>

#include <string>
#include <string_view>

namespace kavel {

using WideString = std::basic_string<SQLWCHAR>;

WideString ToWide(std::string_view utf8);
std::string FromWide(const SQLWCHAR* text, std::size_t length);
inline std::string FromWide(const WideString& text) { return FromWide(text.data(), text.size()); }

}  // namespace kavel
