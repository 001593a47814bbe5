// SET options: ANSI_NULL_DFLT_ON / OFF decide the nullability of columns that do not state it.
#include "exec/Executor.h"

namespace standin {

StatementOutcome ExecSet(StatementEnv& env, const SetStmt& s) {
    if (s.option == "ANSI_NULL_DFLT_ON") env.session.ansiNullDefaultOn = s.value == "ON";
    else if (s.option == "ANSI_NULL_DFLT_OFF") env.session.ansiNullDefaultOn = s.value != "ON";
    else if (s.option == "ANSI_DEFAULTS" && s.value == "ON") env.session.ansiNullDefaultOn = true;
    return StatementOutcome{};
}

}  // namespace standin
