// The bind pass: what a plan holds once bound (positions, enumerators, types), that running a
// plan leaves it as it was, and stored defaults bound on their own.
#include <gtest/gtest.h>

#include <sstream>

#include "Database.h"
#include "SqlError.h"
#include "bind/Binder.h"
#include "exec/Executor.h"
#include "exec/TextFormat.h"
#include "sql/Parser.h"
#include "types/SqlTypes.h"

namespace standin {
namespace {

struct BindFixture {
    Database db;
    Session session;
    ExecContext ctx;
    Catalogue catalogue;

    BindFixture() {
        ctx.clock = [] { return DateTime{}; };
    }
    std::string Run(const std::string& sql) {
        return FormatOutcome(db.ExecuteBatch(session, sql, ctx));
    }

    // Binds the one SELECT of `sql` against `catalogue`.
    std::shared_ptr<const BoundSelect> BindSelect(const std::string& sql) {
        std::vector<Statement> parsed = ParseBatch(sql);
        return Binder(catalogue).Select(std::get<SelectStmt>(parsed.at(0).body));
    }
    // The error number binding `sql` throws, 0 when it binds.
    int BindError(const std::string& sql) {
        try {
            BindSelect(sql);
        } catch (const SqlError& e) {
            return e.Number();
        }
        return 0;
    }
};

Table& AddTable(Catalogue& catalogue) {
    auto t = std::make_unique<Table>();
    t->name = "lib_qk";
    for (auto [name, type] : {std::pair{"qk_no", MakeType(TypeId::Int)},
                              std::pair{"qk_name", MakeType(TypeId::VarChar, 40)},
                              std::pair{"qk_price", MakeType(TypeId::Numeric, 0, 8, 2)}}) {
        Column c;
        c.name = name;
        c.type = type;
        t->columns.push_back(c);
    }
    return catalogue.AddTable(std::move(t));
}

TEST(Bind, NamesBecomePositionsAndOperatorsEnumerators) {
    BindFixture f;
    AddTable(f.catalogue);
    auto plan = f.BindSelect(
        "select upper(Q.QK_NAME), qk_price * 2, count(*) from lib_qk q "
        "where qk_no <> 3 group by qk_name, qk_price");
    ASSERT_EQ(plan->items.size(), 3u);
    const BoundExpr& upper = *plan->items[0].expr;
    EXPECT_EQ(upper.kind, BoundExpr::Kind::Function);
    EXPECT_EQ(upper.function, ScalarFn::Upper);
    EXPECT_EQ(upper.args[0]->column, 1);  // qualified by the alias, any case
    EXPECT_EQ(TypeDeclaration(upper.type), "varchar(40)");
    const BoundExpr& times = *plan->items[1].expr;
    EXPECT_EQ(times.arith, ArithOp::Multiply);
    EXPECT_EQ(TypeDeclaration(times.type), "numeric(10,2)");  // 2 takes part as numeric(1,0)
    EXPECT_EQ(plan->items[2].expr->aggregate, AggregateFn::Count);
    EXPECT_EQ(plan->where->compare, CompareOp::NotEqual);
    EXPECT_EQ(plan->where->args[0]->column, 0);
    EXPECT_TRUE(plan->aggregated);
}

TEST(Bind, FunctionsResolveFromOneTable) {
    BindFixture f;
    AddTable(f.catalogue);
    const struct {
        const char* call;
        int error;  // 0: binds
    } cases[] = {
        {"getdate()", 0},
        {"len(qk_name)", 0},
        {"charindex('a', qk_name)", 0},
        {"charindex('a', qk_name, 2)", 0},
        {"coalesce(qk_no, qk_price, 0)", 0},
        {"str(qk_price, 8, 2)", 0},
        {"getdate(1)", 174},
        {"substring(qk_name, 1)", 174},
        {"left(qk_name)", 174},
        {"coalesce(qk_no)", 189},
        {"nosuch(qk_no)", 195},
        {"sum(qk_name)", 8117},
        {"avg(qk_name)", 8117},
        {"max(qk_name)", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(f.BindError(std::string("select ") + c.call + " from lib_qk"), c.error) << c.call;
}

TEST(Bind, NameErrorsComeFromTheOneResolver) {
    BindFixture f;
    AddTable(f.catalogue);
    const struct {
        const char* sql;
        int error;
    } cases[] = {
        {"select lib_qk.qk_no from lib_qk", 0},
        {"select x.qk_no from lib_qk x", 0},
        {"select lib_qk.qk_no from lib_qk x", 0},  // the table's own name still qualifies
        {"select y.qk_no from lib_qk x", 4104},
        {"select qk_nosuch from lib_qk", 207},
        {"select qk_no", 207},
        {"select qk_no from nosuch", 208},
        {"select qk_no from lib_qk where qk_no in (select qk_no, qk_name from lib_qk)", 116},
        {"select qk_no from lib_qk where qk_no in (select * from lib_qk)", 116},
        {"select qk_no from lib_qk where qk_no in (select qk_no from nosuch)", 208},
        {"select @@nosuch", 137},
    };
    for (const auto& c : cases) EXPECT_EQ(f.BindError(c.sql), c.error) << c.sql;
}

TEST(Bind, APlanRunsAgainUnchanged) {
    BindFixture f;
    Table& t = AddTable(f.catalogue);
    for (int i = 1; i <= 5; ++i)
        t.store.Insert(Row{std::int64_t{i}, std::string("q") + std::to_string(i), Value{}});
    auto plan = f.BindSelect(
        "select qk_no, qk_name from lib_qk "
        "where qk_no in (select qk_no from lib_qk where qk_no > 2) order by 1 desc");
    std::function<DateTime()> clock = [] { return DateTime{}; };
    Session session;
    auto run = [&] {
        StatementEnv env{f.catalogue, session, clock, std::nullopt, {}, 0};
        return RunSelect(env, *plan).rows;
    };
    auto first = run();
    ASSERT_EQ(first.size(), 3u);
    EXPECT_EQ(std::get<std::int64_t>(first[0][0]), 5);
    t.store.Insert(Row{std::int64_t{6}, std::string("q6"), Value{}});
    auto second = run();  // a new run reads the table as it is now, subquery included
    ASSERT_EQ(second.size(), 4u);
    EXPECT_EQ(std::get<std::int64_t>(second[0][0]), 6);
}

TEST(Bind, DefaultsAreBoundOnTheirOwnAndSurviveALoad) {
    BindFixture f;
    EXPECT_EQ(f.Run("create table d (a int, b varchar(10) default ('x' + 'y'))\n"
                    "create table e (a int default (1 in (select a from d)))"),
              "Msg 1046, Level 15, State 1, Line 2\n"
              "Subqueries are not allowed in this context. Only scalar expressions are allowed.\n");
    std::stringstream image;
    f.db.Save(image);
    auto loaded = Database::Load(image);
    Session session;
    FormatOutcome(loaded->ExecuteBatch(session, "insert into d(a) values (1)", f.ctx));
    EXPECT_EQ(FormatOutcome(loaded->ExecuteBatch(session, "select b from d", f.ctx)), "b\nxy\n");
}

}  // namespace
}  // namespace standin
