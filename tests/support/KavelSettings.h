#pragma once
// The main program's settings as a .reg file (the registry key the utility reads its data source
// and login from), for tests that start the real programs or the start-up code.

#include <string>

namespace kavel::test {

// The main program's digit code of a text (the reverse of DecodeDigits): four digits per byte,
// two bits each, high bits first.
inline std::string DigitCode(const std::string& text) {
    std::string digits;
    for (unsigned char c : text)
        for (int shift = 6; shift >= 0; shift -= 2) digits += char('0' + ((c >> shift) & 3) * 2);
    return digits;
}

// A .reg file of the main program's key holding `values`; the values of a login as user "sa".
inline std::string KavelRegistry(const std::string& values) {
    return "Windows Registry Editor Version 5.00\r\n\r\n"
           "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KorvenSoft\\Kavel]\r\n" +
           values;
}
inline std::string LoginValues(const std::string& dsn, const std::string& passwordDigits) {
    return "\"ODBCNAME\"=\"" + dsn + "\"\r\n\"USERNAME\"=\"" + DigitCode("sa") +
           "\"\r\n\"PASSWORD\"=\"" + passwordDigits + "\"\r\n";
}

}  // namespace kavel::test
