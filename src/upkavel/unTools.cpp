#include "unTools.h"

namespace kavel {

std::string ConnectGate;

std::string DecodeDigits(std::string_view encoded) {
    if (encoded.size() % 4 != 0) return {};
    std::string decoded;
    decoded.reserve(encoded.size() / 4);
    for (std::size_t group = 0; group < encoded.size(); group += 4) {
        unsigned v = 0;
        for (std::size_t k = group; k < group + 4; ++k) {
            char c = encoded[k];
            if (c < '0' || c > '9')
                throw EConvertError("digit code: character " + std::to_string(k + 1) + " of " +
                                    std::to_string(encoded.size()) + " is not a decimal digit");
            v = v * 4 + static_cast<unsigned>(c - '0') / 2;
        }
        decoded += static_cast<char>(v & 0xFF);
    }
    return decoded;
}

}  // namespace kavel
