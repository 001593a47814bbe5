#include "types/Collation.h"

#include <vector>

namespace standin {
namespace {

// Folds ASCII letters to lower case so that "_" and the other punctuation between 'Z' and 'a'
// sort before letters, as they do under SQL Server's Latin-based ordering.
unsigned char Fold(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 32) : c;
}

// Splits text into characters: one byte, or two for a GBK lead byte followed by a trail byte.
template <typename F>
void ForEachChar(std::string_view s, F f) {
    for (std::size_t i = 0; i < s.size();) {
        std::size_t n = IsGbkLead(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
        f(s.substr(i, n));
        i += n;
    }
}

}  // namespace

std::string_view TrimTrailingBlanks(std::string_view s) {
    std::size_t n = s.size();
    while (n > 0 && s[n - 1] == ' ') --n;
    return s.substr(0, n);
}

std::string CollationKey(std::string_view cp936) {
    std::string_view s = TrimTrailingBlanks(cp936);
    std::string key;
    key.reserve(s.size());
    ForEachChar(s, [&](std::string_view ch) {
        if (ch.size() == 1)
            key += static_cast<char>(Fold(static_cast<unsigned char>(ch[0])));
        else
            key += ch;
    });
    return key;
}

int CompareText(std::string_view a, std::string_view b) {
    std::string ka = CollationKey(a), kb = CollationKey(b);
    int c = ka.compare(kb);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

bool EqualText(std::string_view a, std::string_view b) { return CompareText(a, b) == 0; }

std::string NameKey(std::string_view name) {
    std::string_view s = TrimTrailingBlanks(name);
    std::string k(s);
    for (char& c : k) c = static_cast<char>(Fold(static_cast<unsigned char>(c)));
    return k;
}

bool SameName(std::string_view a, std::string_view b) {
    // NameKey(a) == NameKey(b), without making the keys: names are compared for every statement.
    // Names of one length are equal exactly when they are byte for byte after folding (trailing
    // blanks then line up); only names of different lengths need their blanks trimmed first.
    if (a.size() != b.size()) {
        const bool blanks = (!a.empty() && a.back() == ' ') || (!b.empty() && b.back() == ' ');
        if (!blanks) return false;
        a = TrimTrailingBlanks(a);
        b = TrimTrailingBlanks(b);
        if (a.size() != b.size()) return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Fold(static_cast<unsigned char>(a[i])) != Fold(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

namespace {

std::vector<std::string_view> Chars(std::string_view s) {
    std::vector<std::string_view> out;
    ForEachChar(s, [&](std::string_view c) { out.push_back(c); });
    return out;
}

bool CharEq(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    if (a.size() == 1)
        return Fold(static_cast<unsigned char>(a[0])) == Fold(static_cast<unsigned char>(b[0]));
    return a == b;
}

// One pattern element: a literal character, '_' or a [set].
struct PatternItem {
    enum Kind { Literal, Any, AnySequence, Set } kind = Literal;
    std::string_view ch;
    bool negated = false;
    std::vector<std::pair<std::string_view, std::string_view>> ranges;  // [a-z] or single (a, a)
};

std::vector<PatternItem> CompilePattern(std::string_view pattern) {
    std::vector<std::string_view> cs = Chars(pattern);
    std::vector<PatternItem> items;
    for (std::size_t i = 0; i < cs.size(); ++i) {
        PatternItem it;
        if (cs[i] == "%") {
            it.kind = PatternItem::AnySequence;
        } else if (cs[i] == "_") {
            it.kind = PatternItem::Any;
        } else if (cs[i] == "[") {
            std::size_t j = i + 1;
            PatternItem set;
            set.kind = PatternItem::Set;
            if (j < cs.size() && cs[j] == "^") {
                set.negated = true;
                ++j;
            }
            std::size_t close = j;
            while (close < cs.size() && !(cs[close] == "]" && close > j)) ++close;
            if (close >= cs.size()) {  // no closing bracket: a literal '['
                it.kind = PatternItem::Literal;
                it.ch = cs[i];
                items.push_back(it);
                continue;
            }
            for (std::size_t k = j; k < close; ++k) {
                if (k + 2 < close && cs[k + 1] == "-") {
                    set.ranges.emplace_back(cs[k], cs[k + 2]);
                    k += 2;
                } else {
                    set.ranges.emplace_back(cs[k], cs[k]);
                }
            }
            items.push_back(set);
            i = close;
            continue;
        } else {
            it.kind = PatternItem::Literal;
            it.ch = cs[i];
        }
        items.push_back(it);
    }
    return items;
}

bool ItemMatches(const PatternItem& it, std::string_view c) {
    switch (it.kind) {
        case PatternItem::Any:
            return true;
        case PatternItem::Literal:
            return CharEq(it.ch, c);
        case PatternItem::Set: {
            bool in = false;
            std::string kc = CollationKey(c);
            for (auto& [lo, hi] : it.ranges) {
                if (CharEq(lo, c) || (CollationKey(lo) <= kc && kc <= CollationKey(hi))) {
                    in = true;
                    break;
                }
            }
            return in != it.negated;
        }
        case PatternItem::AnySequence:
            return true;
    }
    return false;
}

}  // namespace

namespace {
bool LikeMatchExact(std::string_view value, std::string_view pattern) {
    std::vector<std::string_view> v = Chars(value);
    std::vector<PatternItem> p = CompilePattern(pattern);
    // Iterative wildcard matching with backtracking to the last '%'.
    std::size_t vi = 0, pi = 0, starP = std::string_view::npos, starV = 0;
    while (vi < v.size()) {
        if (pi < p.size() && p[pi].kind != PatternItem::AnySequence && ItemMatches(p[pi], v[vi])) {
            ++vi;
            ++pi;
        } else if (pi < p.size() && p[pi].kind == PatternItem::AnySequence) {
            starP = pi++;
            starV = vi;
        } else if (starP != std::string_view::npos) {
            pi = starP + 1;
            vi = ++starV;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi].kind == PatternItem::AnySequence) ++pi;
    return pi == p.size();
}
}  // namespace

bool LikeMatch(std::string_view value, std::string_view pattern) {
    // Blanks in the pattern count; trailing blanks of the value may be ignored ('abc  ' LIKE
    // 'abc').
    if (LikeMatchExact(value, pattern)) return true;
    std::string_view trimmed = TrimTrailingBlanks(value);
    return trimmed.size() != value.size() && LikeMatchExact(trimmed, pattern);
}

std::size_t CharacterCount(std::string_view s) {
    std::size_t n = 0;
    ForEachChar(s, [&](std::string_view) { ++n; });
    return n;
}

std::size_t BytesOfCharacters(std::string_view s, std::size_t chars) {
    std::size_t bytes = 0, n = 0;
    ForEachChar(s, [&](std::string_view c) {
        if (n < chars) {
            bytes += c.size();
            ++n;
        }
    });
    return bytes;
}

std::size_t FitBytes(std::string_view s, std::size_t maxBytes) {
    std::size_t bytes = 0;
    bool full = false;
    ForEachChar(s, [&](std::string_view c) {
        if (full) return;
        if (bytes + c.size() > maxBytes) {
            full = true;
            return;
        }
        bytes += c.size();
    });
    return bytes;
}

std::string UpperAscii(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return r;
}

std::string UpperText(std::string_view s) {
    std::string out;
    ForEachChar(s, [&](std::string_view c) {
        if (c.size() == 1 && c[0] >= 'a' && c[0] <= 'z')
            out += static_cast<char>(c[0] - 32);
        else
            out += c;
    });
    return out;
}

std::string LowerText(std::string_view s) {
    std::string out;
    ForEachChar(s, [&](std::string_view c) {
        if (c.size() == 1 && c[0] >= 'A' && c[0] <= 'Z')
            out += static_cast<char>(c[0] + 32);
        else
            out += c;
    });
    return out;
}

}  // namespace standin
