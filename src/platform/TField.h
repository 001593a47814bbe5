#pragma once
// One column value of a query's current row, read by name. Values arrive as the driver's text
// form; NULL reads as empty text and as 0.

#include <optional>
#include <string>

namespace kavel {

class TField {
public:
    TField(std::string name, std::optional<std::string> value)
        : name_(std::move(name)), value_(std::move(value)) {}

    const std::string& FieldName() const { return name_; }
    bool IsNull() const { return !value_.has_value(); }

    std::string AsString() const { return value_.value_or(std::string()); }
    // Whole number; a value with a fraction is rounded to the nearest, halves away from zero.
    // Throws EConvertError for text that is not a number or a value outside the int range.
    int AsInteger() const;
    // Number with a fraction; throws EConvertError for text that is not a number.
    double AsFloat() const;

private:
    std::string name_;
    std::optional<std::string> value_;
};

}  // namespace kavel
