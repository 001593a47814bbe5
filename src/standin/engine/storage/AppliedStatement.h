#pragma once
// A statement that changed the database, as the log records it and replay runs it again.

#include <string>

#include "types/Value.h"

namespace standin {

struct AppliedStatement {
    std::string text;        // that one statement's source text (UTF-8), cut from its batch
    DateTime now;            // the getdate() value it ran with
    bool ansiNullDefaultOn;  // the session option it ran under
};

}  // namespace standin
