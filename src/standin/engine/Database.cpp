#include "Database.h"

#include <optional>
#include <stdexcept>

#include "Errors.h"
#include "bind/BatchCompile.h"
#include "bind/BindDefault.h"
#include "bind/Binder.h"
#include "catalog/Catalogue.h"
#include "catalog/DatabaseImage.h"
#include "exec/Executor.h"
#include "exec/TableWrite.h"
#include "sql/Parser.h"
#include "types/Collation.h"

namespace standin {

struct Database::Impl {
    Catalogue catalogue;

    StatementOutcome RunOne(Session& session, const Statement& st, std::string_view batch,
                            ExecContext& ctx, bool& abort) {
        StatementEnv env{catalogue, session, ctx.clock, std::nullopt, {}, 0};
        std::int64_t counter = catalogue.ObjectCounter();
        StatementOutcome out;
        std::optional<BoundStatement> plan;  // outlives the catch: the undo log points into it
        try {
            plan.emplace(Binder(catalogue, &session).Bind(st));
            out = ExecuteStatement(env, *plan);
        } catch (SqlError& e) {
            env.RollBack();
            // Object ids taken by a statement that failed are given back: the log replays only
            // statements that succeeded and must reach the same ids.
            catalogue.SetObjectCounter(counter);
            out = StatementOutcome{};
            out.failed = true;
            out.messages = e.Messages();
            // Arithmetic errors end a data-changing statement with 3621, as the others do.
            int first = out.messages.empty() ? 0 : out.messages.front().number;
            if ((first == 8115 || first == 8134 || first == 517) &&
                !std::holds_alternative<SelectStmt>(st.body) && out.messages.back().number != 3621)
                out.messages.push_back(errors::StatementTerminated());
            for (auto& m : out.messages) m.line = st.line;
            abort = e.AbortsBatch();
            out.rowsVisited = env.rowsVisited;
            return out;
        } catch (const std::exception& e) {
            // A fault of the engine itself: the statement still changes nothing, and the batch
            // stops, so that nothing runs on a state the failing statement was meant to prepare.
            env.RollBack();
            catalogue.SetObjectCounter(counter);
            out = StatementOutcome{};
            out.failed = true;
            out.messages.push_back(
                SqlMessage{8630, 1, 16,
                           std::string("Internal Query Processor Error: The query processor "
                                       "encountered an unexpected error during execution (") +
                               e.what() + ").",
                           st.line});
            abort = true;
            return out;
        }
        out.rowsVisited = env.rowsVisited;
        if (st.Modifies() && ctx.applied) {
            AppliedStatement a;
            a.text = std::string(batch.substr(st.begin, st.end - st.begin));
            a.now = env.now.value_or(DateTime{});
            a.ansiNullDefaultOn = session.ansiNullDefaultOn;
            ctx.applied->push_back(std::move(a));
        }
        return out;
    }
};

Database::Database() : impl_(std::make_unique<Impl>()) {}
Database::~Database() = default;

BatchOutcome Database::ExecuteBatch(Session& session, std::string_view sqlUtf8, ExecContext& ctx) {
    BatchOutcome outcome;
    std::vector<Statement> statements;
    try {
        statements = ParseBatch(sqlUtf8);
        CheckBatchColumns(statements, impl_->catalogue);
    } catch (SqlError& e) {
        // A syntax error anywhere, or a column that an existing table lacks: nothing of the batch
        // runs.
        StatementOutcome o;
        o.failed = true;
        o.messages = e.Messages();
        outcome.statements.push_back(std::move(o));
        return outcome;
    } catch (const std::exception& e) {
        // Text that is not valid UTF-8 cannot be a batch.
        StatementOutcome o;
        o.failed = true;
        o.messages.push_back(
            SqlMessage{102, 1, 15, std::string("Incorrect syntax near '") + "?" + "'.", 1});
        outcome.statements.push_back(std::move(o));
        return outcome;
    }
    for (const Statement& st : statements) {
        bool abort = false;
        outcome.statements.push_back(impl_->RunOne(session, st, sqlUtf8, ctx, abort));
        if (abort) break;
    }
    return outcome;
}

void Database::Replay(const AppliedStatement& statement) {
    Session session;
    session.ansiNullDefaultOn = statement.ansiNullDefaultOn;
    session.replaying = true;
    ExecContext ctx;
    DateTime now = statement.now;
    ctx.clock = [now] { return now; };
    BatchOutcome o = ExecuteBatch(session, statement.text, ctx);
    if (o.statements.size() != 1 || o.statements[0].failed) {
        std::string why = o.statements.empty() || o.statements[0].messages.empty()
                              ? std::string("it is not one statement")
                              : o.statements[0].messages[0].text;
        throw std::runtime_error("logged statement does not replay on this database (" + why +
                                 "): " + statement.text);
    }
}

void Database::SetLogin(const std::string& user, const std::string& password) {
    impl_->catalogue.Logins()[NameKey(user)] = password;
}

bool Database::CheckLogin(std::string_view user, std::string_view password) const {
    auto& logins = impl_->catalogue.Logins();
    auto it = logins.find(NameKey(user));
    return it != logins.end() && it->second == password;
}

std::string Database::Save() const { return WriteImage(impl_->catalogue); }

std::unique_ptr<Database> Database::Load(std::string_view image) {
    auto db = std::make_unique<Database>();
    ReadImage(image, db->impl_->catalogue, BindDefaultText);
    return db;
}

}  // namespace standin
