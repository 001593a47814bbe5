#pragma once
// Byte strings that stand for values in indexes, GROUP BY and DISTINCT: two values get the same
// key exactly when they compare equal (collation rules for text, 17 = 17.00 for numbers).

#include <string>
#include <vector>

#include "types/Value.h"

namespace standin {

void AppendKey(std::string& key, const Value& v);
std::string EncodeKey(const std::vector<Value>& values);

}  // namespace standin
