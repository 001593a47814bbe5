#include "DoubleQuotes.h"

namespace kavel {

std::string DoubleQuotes(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (char c : value) {
        out += c;
        if (c == '\'') out += '\'';
    }
    return out;
}

}  // namespace kavel

namespace kavel {

std::string Quoted(std::string_view value) { return "'" + DoubleQuotes(value) + "'"; }

}  // namespace kavel
