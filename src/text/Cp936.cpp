#include "Cp936.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>

#include "Unicode.h"

namespace kavel {
namespace {

// One iconv descriptor per direction and thread: iconv_t is not safe to share between threads,
// and opening one per call costs more than the conversion of a short field.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw TextCodecError(std::string("iconv cannot convert from ") + from + " to " + to);
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts all of `in`. On an invalid or unconvertible sequence calls onBad(in, inLeft, out)
    // which must either throw or advance past the bad input after appending a replacement.
    template <typename OnBad>
    std::string Run(std::string_view input, OnBad onBad) {
        // Text of single bytes below 0x80 is the same in both encodings (most fields are).
        if (std::all_of(input.begin(), input.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
            return std::string(input);
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // reset shift state
        std::string out;
        out.reserve(input.size() * 3 / 2 + 4);
        char* in = const_cast<char*>(input.data());
        std::size_t inLeft = input.size();
        char buf[1024];
        while (inLeft > 0) {
            char* o = buf;
            std::size_t oLeft = sizeof buf;
            std::size_t r = iconv(cd_, &in, &inLeft, &o, &oLeft);
            out.append(buf, static_cast<std::size_t>(o - buf));
            if (r == static_cast<std::size_t>(-1)) {
                if (errno == E2BIG) continue;
                onBad(in, inLeft, out, static_cast<std::size_t>(in - input.data()));
            }
        }
        return out;
    }

private:
    iconv_t cd_;
};

Converter& ToCp936() {
    thread_local Converter c("CP936", "UTF-8");
    return c;
}
Converter& FromCp936() {
    thread_local Converter c("UTF-8", "CP936");
    return c;
}

std::string Hex(std::string_view s) {
    static const char* digits = "0123456789ABCDEF";
    std::string h;
    for (unsigned char c : s) {
        if (!h.empty()) h += ' ';
        h += digits[c >> 4];
        h += digits[c & 15];
    }
    return h;
}

}  // namespace

std::string Utf8ToCp936(std::string_view utf8) {
    if (std::size_t bad = FindInvalidUtf8(utf8); bad != std::string_view::npos)
        throw TextCodecError("malformed UTF-8 at byte " + std::to_string(bad));
    return ToCp936().Run(utf8, [&](char*&, std::size_t&, std::string&, std::size_t at) {
        std::size_t n = Utf8SequenceAt(utf8.substr(at));
        throw TextCodecError("character '" + std::string(utf8.substr(at, n ? n : 1)) +
                             "' at byte " + std::to_string(at) + " has no code page 936 form");
    });
}

std::string Utf8ToCp936Lossy(std::string_view utf8) {
    if (std::size_t bad = FindInvalidUtf8(utf8); bad != std::string_view::npos)
        throw TextCodecError("malformed UTF-8 at byte " + std::to_string(bad));
    return ToCp936().Run(utf8, [](char*& in, std::size_t& inLeft, std::string& out, std::size_t) {
        std::size_t n = Utf8SequenceAt(std::string_view(in, inLeft));
        if (n == 0) n = 1;
        in += n;
        inLeft -= n;
        out += '?';
    });
}

std::string Cp936ToUtf8(std::string_view cp936) {
    return FromCp936().Run(cp936, [&](char*&, std::size_t&, std::string&, std::size_t at) {
        throw TextCodecError("byte sequence " + Hex(cp936.substr(at, 2)) + " at byte " +
                             std::to_string(at) + " is not valid code page 936 text");
    });
}

std::string Cp936ToUtf8Lossy(std::string_view cp936) {
    return FromCp936().Run(cp936,
                           [](char*& in, std::size_t& inLeft, std::string& out, std::size_t) {
                               ++in;
                               --inLeft;
                               out += "\xEF\xBF\xBD";
                           });
}

std::string Cp936ToUtf8KeepingBytes(std::string_view cp936) {
    constexpr char32_t kStrayByteBase = 0xF700;
    return FromCp936().Run(cp936,
                           [](char*& in, std::size_t& inLeft, std::string& out, std::size_t) {
                               AppendUtf8(out, kStrayByteBase + static_cast<unsigned char>(*in));
                               ++in;
                               --inLeft;
                           });
}

}  // namespace kavel
