#include "types/DecimalMath.h"

#include <algorithm>

#include "Errors.h"

namespace standin {
namespace {

Int128 Abs(Int128 v) { return v < 0 ? -v : v; }

[[noreturn]] void Overflow() { throw errors::ArithmeticOverflow("expression", "numeric"); }

// Brings a result type within 38 digits the way SQL Server does: the integral part keeps its
// digits and the scale gives way, but not below min(scale, 6).
void CapPrecision(int& precision, int& scale) {
    if (precision <= 38) return;
    int integral = precision - scale;
    int minScale = std::min(scale, 6);
    scale = std::max(38 - integral, minScale);
    precision = 38;
}

Decimal Make(Int128 unscaled, int precision, int scale) {
    Decimal d;
    d.unscaled = unscaled;
    d.precision = precision;
    d.scale = scale;
    return d;
}

}  // namespace

Int128 Pow10(int n) {
    Int128 r = 1;
    for (int i = 0; i < n; ++i) r *= 10;
    return r;
}

int DigitCount(Int128 v) {
    v = Abs(v);
    int n = 1;
    while (v >= 10) {
        v /= 10;
        ++n;
    }
    return n;
}

std::optional<Decimal> ParseDecimalLiteral(std::string_view text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    Int128 v = 0;
    int digits = 0, scale = 0;
    bool point = false, any = false, leading = true;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (c == '.') {
            if (point) return std::nullopt;
            point = true;
            continue;
        }
        if (c < '0' || c > '9') return std::nullopt;
        any = true;
        if (point) ++scale;
        if (leading && c == '0' && !point) continue;
        leading = false;
        if (++digits > 38) return std::nullopt;
        v = v * 10 + (c - '0');
    }
    if (!any) return std::nullopt;
    if (scale > 38) return std::nullopt;
    int intDigits = digits - scale;
    int precision = std::max(std::max(intDigits, 0) + scale, 1);
    if (precision > 38) return std::nullopt;
    return Make(negative ? -v : v, precision, scale);
}

std::string DecimalToString(const Decimal& d) {
    Int128 a = Abs(d.unscaled);
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(a % 10)));
        a /= 10;
    } while (a > 0);
    if (d.scale > 0) {
        if (static_cast<int>(digits.size()) <= d.scale)
            digits.insert(
                0, static_cast<std::size_t>(d.scale - static_cast<int>(digits.size()) + 1), '0');
        digits.insert(digits.size() - static_cast<std::size_t>(d.scale), ".");
    }
    return d.unscaled < 0 ? "-" + digits : digits;
}

std::string DecimalCanonical(const Decimal& d) {
    Decimal c = d;
    while (c.scale > 0 && c.unscaled % 10 == 0) {
        c.unscaled /= 10;
        --c.scale;
    }
    return DecimalToString(c);
}

std::optional<Int128> Rescale(const Decimal& d, int newScale) {
    if (newScale == d.scale) return d.unscaled;
    if (newScale > d.scale) {
        int k = newScale - d.scale;
        if (k > 38 || DigitCount(d.unscaled) + k > 38) return std::nullopt;
        return d.unscaled * Pow10(k);
    }
    int k = d.scale - newScale;
    if (k > 38) return Int128(0);
    Int128 p = Pow10(k);
    Int128 q = d.unscaled / p;
    Int128 r = d.unscaled % p;
    if (Abs(r) * 2 >= p) q += d.unscaled < 0 ? -1 : 1;
    return q;
}

std::optional<Decimal> FitDecimal(const Decimal& d, int precision, int scale) {
    auto v = Rescale(d, scale);
    if (!v) return std::nullopt;
    if (*v != 0 && DigitCount(*v) > precision) return std::nullopt;
    return Make(*v, precision, scale);
}

int CompareDecimal(const Decimal& a, const Decimal& b) {
    Int128 ia = a.unscaled / Pow10(a.scale), ib = b.unscaled / Pow10(b.scale);
    if (ia != ib) return ia < ib ? -1 : 1;
    int s = std::max(a.scale, b.scale);
    Int128 fa = (a.unscaled % Pow10(a.scale)) * Pow10(s - a.scale);
    Int128 fb = (b.unscaled % Pow10(b.scale)) * Pow10(s - b.scale);
    if (fa != fb) return fa < fb ? -1 : 1;
    return 0;
}

Decimal AddDecimal(const Decimal& a, const Decimal& b, bool subtract) {
    int scale = std::max(a.scale, b.scale);
    int precision = scale + std::max(a.precision - a.scale, b.precision - b.scale) + 1;
    auto x = Rescale(a, scale);
    auto y = Rescale(b, scale);
    if (!x || !y) Overflow();
    Int128 r;
    if (subtract ? __builtin_sub_overflow(*x, *y, &r) : __builtin_add_overflow(*x, *y, &r))
        Overflow();
    int finalScale = scale;
    CapPrecision(precision, finalScale);
    auto v = Rescale(Make(r, 38, scale), finalScale);
    if (!v || DigitCount(*v) > precision) Overflow();
    return Make(*v, precision, finalScale);
}

Decimal MultiplyDecimal(const Decimal& a, const Decimal& b) {
    int precision = a.precision + b.precision + 1;
    int scale = a.scale + b.scale;
    Int128 r;
    if (__builtin_mul_overflow(Int128(a.unscaled), Int128(b.unscaled), &r)) Overflow();
    int finalScale = scale;
    CapPrecision(precision, finalScale);
    auto v = Rescale(Make(r, 38, scale), finalScale);
    if (!v || DigitCount(*v) > precision) Overflow();
    return Make(*v, precision, finalScale);
}

Decimal DivideDecimal(const Decimal& a, const Decimal& b) {
    if (b.unscaled == 0) throw errors::DivideByZero();
    int scale = std::max(6, a.scale + b.precision + 1);
    int precision = a.precision - a.scale + b.scale + scale;
    CapPrecision(precision, scale);
    // result = (a.u / 10^a.s) / (b.u / 10^b.s), at `scale`: a.u * 10^(scale + b.s - a.s) / b.u,
    // truncated
    int shift = scale + b.scale - a.scale;
    Int128 num = a.unscaled, den = b.unscaled;
    if (shift >= 0) {
        if (DigitCount(num) + shift > 38) Overflow();
        num *= Pow10(shift);
    } else {
        if (-shift > 38 || DigitCount(den) - shift > 38) Overflow();
        den *= Pow10(-shift);
    }
    Int128 q = num / den;
    if (DigitCount(q) > precision) Overflow();
    return Make(q, precision, scale);
}

Decimal ModuloDecimal(const Decimal& a, const Decimal& b) {
    if (b.unscaled == 0) throw errors::DivideByZero();
    int scale = std::max(a.scale, b.scale);
    auto x = Rescale(a, scale);
    auto y = Rescale(b, scale);
    if (!x || !y) Overflow();
    int precision = std::min(38, std::max(a.precision - a.scale, b.precision - b.scale) + scale);
    return Make(*x % *y, precision, scale);
}

Decimal DecimalFromInt(std::int64_t v, int precision) { return Make(v, precision, 0); }

}  // namespace standin
