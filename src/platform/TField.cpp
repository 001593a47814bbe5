#include "TField.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "ConvertError.h"
#include "Trim.h"

namespace kavel {
namespace {

bool ParseDouble(std::string_view text, double& out) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size();
}

}  // namespace

int TField::AsInteger() const {
    if (IsNull()) return 0;
    const std::string_view text = TrimView(*value_);
    long long whole = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), whole);
    if (!(ec == std::errc() && end == text.data() + text.size())) {
        double number = 0;
        if (!ParseDouble(text, number) || !std::isfinite(number))
            throw EConvertError("'" + *value_ + "' is not a valid integer value");
        number = std::round(number);
        if (number < double(std::numeric_limits<int>::min()) ||
            number > double(std::numeric_limits<int>::max()))
            throw EConvertError("'" + *value_ + "' is out of the range of an integer value");
        return static_cast<int>(number);
    }
    if (whole < std::numeric_limits<int>::min() || whole > std::numeric_limits<int>::max())
        throw EConvertError("'" + *value_ + "' is out of the range of an integer value");
    return static_cast<int>(whole);
}

double TField::AsFloat() const {
    if (IsNull()) return 0;
    double number = 0;
    if (!ParseDouble(TrimView(*value_), number))
        throw EConvertError("'" + *value_ + "' is not a valid floating point value");
    return number;
}

}  // namespace kavel
