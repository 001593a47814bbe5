#include "types/KeyEncoding.h"

#include "types/Collation.h"
#include "types/DecimalMath.h"

namespace standin {

void AppendKey(std::string& key, const Value& v) {
    std::string part;
    char tag = 'N';
    if (auto* i = std::get_if<std::int64_t>(&v)) {
        tag = '#';
        part = std::to_string(*i);
    } else if (auto* d = std::get_if<Decimal>(&v)) {
        tag = '#';
        part = DecimalCanonical(*d);
    } else if (auto* dt = std::get_if<DateTime>(&v)) {
        tag = 'D';
        part = std::to_string(dt->days) + ":" + std::to_string(dt->ticks);
    } else if (auto* s = std::get_if<std::string>(&v)) {
        tag = 'T';
        part = CollationKey(*s);
    }
    key += tag;
    key += std::to_string(part.size());
    key += ':';
    key += part;
}

std::string EncodeKey(const std::vector<Value>& values) {
    std::string key;
    for (const Value& v : values) AppendKey(key, v);
    return key;
}

}  // namespace standin
