#include "clone/ValueLiteral.h"

#include <stdexcept>

#include "clone/CatalogueReader.h"

namespace standin::clone {
namespace {

bool IsPlainNumber(const std::string& s) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) ++i;
    bool digits = false, point = false;
    for (; i < s.size(); ++i) {
        if (s[i] >= '0' && s[i] <= '9')
            digits = true;
        else if (s[i] == '.' && !point)
            point = true;
        else
            return false;
    }
    return digits;
}

}  // namespace

std::string ValueLiteral(const SourceColumn& column, const std::optional<std::string>& text) {
    if (!text) return "NULL";
    const std::string& t = column.type;
    if (t == "char" || t == "varchar" || t == "text") return "N" + SingleQuoted(*text);
    if (t == "datetime") return SingleQuoted(*text);
    if (!IsPlainNumber(*text))
        throw std::runtime_error("column " + column.name + " (" + column.TypeText() +
                                 ") read as '" + *text + "', which is not a number");
    return *text;
}

}  // namespace standin::clone
