// Any statement text, however malformed, either runs or gets a SQL Server error and changes
// nothing. Mutations of real statements (cut short, bytes changed, tokens repeated) are run against
// a small database and the state is compared before and after every refused statement.
#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "TestDatabase.h"
#include "TestSupport.h"
#include "sql/ScriptSplitter.h"

namespace standin {
namespace {

std::string Mutate(const std::string& s, std::mt19937& rng) {
    std::uniform_int_distribution<std::size_t> pos(0, s.empty() ? 0 : s.size() - 1);
    std::string m = s;
    switch (rng() % 6) {
        case 0:
            return m.substr(0, pos(rng));  // cut short
        case 1:
            m[pos(rng)] = static_cast<char>("(),'=*;-/x[]\"0N"[rng() % 15]);
            return m;  // change a byte
        case 2:
            m.insert(pos(rng), m.substr(pos(rng), 1 + rng() % 8));
            return m;  // repeat a piece
        case 3:
            m.erase(pos(rng), 1 + rng() % 6);
            return m;  // drop a piece
        case 4:
            m[pos(rng)] = static_cast<char>(rng() % 256);
            return m;  // any byte, UTF-8 or not
        default:
            return m + " " + m.substr(pos(rng));  // trailing junk
    }
}

TEST(MalformedInput, RefusedStatementsChangeNothing) {
    const auto script = SplitScript(testing::ReadBytes(MALFORMED_CORPUS));
    ASSERT_EQ(script.size(), 2u);
    std::vector<std::string> corpus;
    std::istringstream lines(script[1]);
    for (std::string line; std::getline(lines, line);) corpus.push_back(line);
    std::mt19937 rng(20071103);
    int refused = 0, ran = 0;
    for (int round = 0; round < 1000; ++round) {
        testing::TestDatabase db;
        db.Execute(script[0]);
        std::string text = Mutate(corpus[rng() % corpus.size()], rng);
        if (rng() % 3 == 0) text = Mutate(text, rng);
        const std::string before = db.db.Save();
        const BatchOutcome out = db.Execute(text);
        if (out.statements.empty()) {  // only blanks or comments left: nothing to run
            EXPECT_EQ(db.db.Save(), before) << text;
            continue;
        }
        bool failed = false;
        for (auto& st : out.statements) {
            if (!st.failed) continue;
            failed = true;
            ASSERT_FALSE(st.messages.empty()) << text;
            EXPECT_GT(st.messages[0].number, 0) << text;
            EXPECT_FALSE(st.messages[0].text.empty()) << text;
        }
        if (failed && out.statements.size() == 1) {
            ++refused;
            EXPECT_EQ(db.db.Save(), before) << "refused statement changed the state: " << text;
        } else {
            ++ran;
        }
    }
    // The mutations exercise both paths.
    EXPECT_GT(refused, 300);
    EXPECT_GT(ran, 20);
}

TEST(MalformedInput, DeepNestingIsRefusedNotFatal) {
    testing::TestDatabase db;
    EXPECT_EQ(db.Run("select " + std::string(5000, '(') + "1" + std::string(5000, ')')),
              "Msg 191, Level 15, State 1, Line 1\nSome part of your SQL statement is nested too "
              "deeply. Rewrite the query or break it up into smaller queries.\n");
    EXPECT_EQ(db.Run("select " + std::string(3000, '-') + "1").substr(0, 4), "Msg ");
}

}  // namespace
}  // namespace standin
