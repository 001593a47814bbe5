#pragma once
// A value that cannot be read as the type asked for (text as a number, for instance).

#include <stdexcept>

namespace kavel {

class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace kavel
