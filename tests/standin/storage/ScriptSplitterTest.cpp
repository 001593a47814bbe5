#include <gtest/gtest.h>

#include "sql/ScriptSplitter.h"

namespace standin {
namespace {

using Batches = std::vector<std::string>;

TEST(ScriptSplitter, CutsAtLinesHoldingOnlyGo) {
    const struct {
        const char* name;
        std::string script;
        Batches batches;
    } cases[] = {
        {"no GO", "select 1\nselect 2", {"select 1\nselect 2"}},
        {"any case, blanks, CRLF", "a\r\ngo\r\nb\n  Go\t\nc\nGO", {"a\r\n", "b\n", "c\n"}},
        {"GO inside a line is text", "select 'GO'\nGO x\ngoto\n", {"select 'GO'\nGO x\ngoto\n"}},
        {"blank batches are dropped", "\nGO\n  \r\n\t\nGO\nselect 1\nGO\n\n", {"select 1\n"}},
        {"byte order mark", "\xEF\xBB\xBFselect 1\nGO\n", {"select 1\n"}},
        {"empty script", "", {}},
        {"lines kept exactly",
         "insert t values ('a\r\nb')  \r\n-- note\r\nGO\r\n",
         {"insert t values ('a\r\nb')  \r\n-- note\r\n"}},
    };
    for (const auto& c : cases) EXPECT_EQ(SplitScript(c.script), c.batches) << c.name;
}

TEST(ScriptSplitter, HandsOverEachBatchWhenItsGoArrives) {
    ScriptSplitter splitter;
    EXPECT_FALSE(splitter.AddLine("insert into t values (1)\n"));
    EXPECT_EQ(splitter.AddLine("GO\n"), std::optional<std::string>("insert into t values (1)\n"));
    EXPECT_FALSE(splitter.AddLine("GO\n"));
    EXPECT_FALSE(splitter.AddLine("select 2"));
    EXPECT_EQ(splitter.Finish(), std::optional<std::string>("select 2"));
    EXPECT_FALSE(splitter.Finish());
}

}  // namespace
}  // namespace standin
