#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <sstream>

#include "StorageTestSupport.h"
#include "Trace.h"

namespace standin {
namespace {

std::string Json(std::string_view text) {
    std::string out;
    AppendJsonString(out, text);
    return out;
}

// Parses one trace line with an independent JSON parser.
QJsonObject ParseLine(const std::string& line) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(line), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError)
        << line << ": " << error.errorString().toStdString();
    return doc.object();
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(TraceJson, EscapesExactly) {
    const struct {
        std::string in;
        std::string out;
    } cases[] = {
        {"select 1", R"("select 1")"},
        {"a\r\nb\nc\rd", R"("a\r\nb\nc\rd")"},
        {"say \"hi\" \\ there", R"("say \"hi\" \\ there")"},
        {"tab\there", R"("tab\there")"},
        {std::string("\0\x01\x1f\x7f\b\f", 6), R"("\u0000\u0001\u001f\u007f\b\f")"},
        {"insert into t values (N'\xE4\xB8\xAD\xE6\x96\x87')",
         "\"insert into t values (N'\xE4\xB8\xAD\xE6\x96\x87')\""},
        {"\xF0\x9F\x98\x80", "\"\xF0\x9F\x98\x80\""},
        // Not UTF-8: GBK bytes, a lone continuation byte, a cut sequence, an encoded surrogate.
        {"\xD6\xD0", R"("\ufffd\ufffd")"},
        {"a\x80z", R"("a\ufffdz")"},
        {"\xE4\xB8", R"("\ufffd\ufffd")"},
        {"\xED\xA0\x80", R"("\ufffd\ufffd\ufffd")"},
        {"\xC0\xAF", R"("\ufffd\ufffd")"},
    };
    for (const auto& c : cases) EXPECT_EQ(Json(c.in), c.out) << c.in;
}

TEST(TraceJson, IndependentParserReadsBackTheText) {
    const std::string texts[] = {
        "update lib_bianma set bm_noorder='A''B' where bm_no=17\r\n",
        "select \"x\", '\\' from t\t/* \xE4\xB8\xAD\xE6\x96\x87 */",
        std::string("nul\0inside", 10),
    };
    for (const std::string& text : texts) {
        const QJsonObject o = ParseLine("{\"text\":" + Json(text) + "}");
        EXPECT_EQ(o["text"].toString().toStdString(), text);
    }
}

TEST(TraceWriter, WritesOneLinePerBatchWithTheFirstError) {
    testing::TempDir dir;
    const auto file = dir / "trace.jsonl";
    {
        TraceWriter trace(file);
        trace.Write(51, "create table t (id int)\r\nGO-free text", nullptr);
        const SqlMessage error{208, 1, 16, "Invalid object name 'nope'.", 1};
        trace.Write(52, "select * from nope", &error);
    }
    {
        TraceWriter again(file);  // numbering continues in the same file
        EXPECT_EQ(again.LastSeq(), 2u);
        again.Write(51, "select 1", nullptr);
    }
    const std::vector<std::string> lines = Lines(testing::ReadBytes(file));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(
        lines[0],
        R"({"seq":1,"session":51,"text":"create table t (id int)\r\nGO-free text","error":null})");
    EXPECT_EQ(
        lines[1],
        R"({"seq":2,"session":52,"text":"select * from nope","error":{"number":208,"message":"Invalid object name 'nope'."}})");
    const QJsonObject third = ParseLine(lines[2]);
    EXPECT_EQ(third["seq"].toInt(), 3);
    EXPECT_TRUE(third["error"].isNull());
}

TEST(TraceWriter, EndsALineCutShortByACrash) {
    testing::TempDir dir;
    const auto file = dir / "trace.jsonl";
    testing::WriteBytes(file, "{\"seq\":1,\"session\":51,\"text\":\"sel");
    {
        TraceWriter trace(file);
        trace.Write(51, "select 2", nullptr);
    }
    const std::vector<std::string> lines = Lines(testing::ReadBytes(file));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(ParseLine(lines[1])["seq"].toInt(), 2);
}

TEST(FirstError, SkipsInformationalMessages) {
    BatchOutcome outcome;
    outcome.statements.resize(3);
    outcome.statements[0].messages.push_back(
        SqlMessage{5701, 1, 10, "Changed database context.", 1});
    outcome.statements[1].messages.push_back(SqlMessage{207, 1, 16, "Invalid column name 'x'.", 2});
    outcome.statements[2].messages.push_back(SqlMessage{208, 1, 16, "Invalid object name 'y'.", 3});
    ASSERT_NE(FirstError(outcome), nullptr);
    EXPECT_EQ(FirstError(outcome)->number, 207);
    EXPECT_EQ(FirstError(BatchOutcome{}), nullptr);
}

}  // namespace
}  // namespace standin
