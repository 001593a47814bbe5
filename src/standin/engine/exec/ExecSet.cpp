// SET options: ANSI_NULL_DFLT_ON / OFF decide the nullability of columns that do not state it;
// IDENTITY_INSERT lets one table of the session take explicit identity values.
#include "Errors.h"
#include "exec/Executor.h"
#include "types/Collation.h"

namespace standin {
namespace {

void SetIdentityInsert(StatementEnv& env, const SetStmt& s) {
    const Table* t = env.catalogue.FindTable(s.table);
    if (!t) throw errors::InvalidObject(s.table);
    bool hasIdentity = false;
    for (const Column& c : t->columns) hasIdentity = hasIdentity || c.identity;
    if (!hasIdentity) throw errors::NoIdentityProperty(t->name);
    std::string& current = env.session.identityInsertTable;
    if (s.value == "OFF") {
        if (SameName(current, t->name)) current.clear();
        return;
    }
    if (!current.empty() && !SameName(current, t->name))
        throw errors::IdentityInsertAlreadyOn(current, t->name);
    current = t->name;
}

}  // namespace

StatementOutcome ExecSet(StatementEnv& env, const SetStmt& s) {
    if (s.option == "IDENTITY_INSERT") {
        SetIdentityInsert(env, s);
        return StatementOutcome{};
    }
    if (s.option == "ANSI_NULL_DFLT_ON")
        env.session.ansiNullDefaultOn = s.value == "ON";
    else if (s.option == "ANSI_NULL_DFLT_OFF")
        env.session.ansiNullDefaultOn = s.value != "ON";
    else if (s.option == "ANSI_DEFAULTS" && s.value == "ON")
        env.session.ansiNullDefaultOn = true;
    return StatementOutcome{};
}

}  // namespace standin
