#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>

#include "TestSupport.h"
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

// Exact escapes, and an independent parser reads the text back (where it was UTF-8).
TEST(TraceJson, EscapesExactly) {
    const struct {
        std::string in;
        std::string out;
        bool utf8 = true;
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
        {"\xD6\xD0", R"("\ufffd\ufffd")", false},
        {"a\x80z", R"("a\ufffdz")", false},
        {"\xE4\xB8", R"("\ufffd\ufffd")", false},
        {"\xED\xA0\x80", R"("\ufffd\ufffd\ufffd")", false},
        {"\xC0\xAF", R"("\ufffd\ufffd")", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Json(c.in), c.out) << c.in;
        const QJsonObject parsed = ParseLine("{\"text\":" + Json(c.in) + "}");
        EXPECT_TRUE(!c.utf8 || parsed["text"].toString().toStdString() == c.in) << c.in;
    }
}

// One line a batch with its first error; numbering goes on in the same file after a reopen, and
// after a line a crash cut short.
TEST(TraceWriter, WritesOneLinePerBatchWithTheFirstError) {
    testing::TempDir dir;
    const auto file = dir / "trace.jsonl";
    testing::WriteBytes(file, "{\"seq\":1,\"session\":51,\"text\":\"sel");  // cut by a crash
    {
        TraceWriter trace(file);
        trace.Write(51, "create table t (id int)\r\nGO-free text", nullptr);
        const SqlMessage error{208, 1, 16, "Invalid object name 'nope'.", 1};
        trace.Write(52, "select * from nope", &error);
    }
    {
        TraceWriter again(file);
        EXPECT_EQ(again.LastSeq(), 3u);
        again.Write(51, "select 1", nullptr);
    }
    EXPECT_EQ(
        testing::ReadBytes(file),
        "{\"seq\":1,\"session\":51,\"text\":\"sel\n"
        R"({"seq":2,"session":51,"text":"create table t (id int)\r\nGO-free text","error":null})"
        "\n"
        R"({"seq":3,"session":52,"text":"select * from nope","error":{"number":208,"message":"Invalid object name 'nope'."}})"
        "\n"
        R"({"seq":4,"session":51,"text":"select 1","error":null})"
        "\n");
}

TEST(FirstError, SkipsInformationalMessages) {
    BatchOutcome outcome;
    for (const auto& [number, severity] : {std::pair{5701, 10}, {207, 16}, {208, 16}})
        outcome.statements.emplace_back().messages.push_back({number, 1, severity, "text", 1});
    ASSERT_NE(FirstError(outcome), nullptr);
    EXPECT_EQ(FirstError(outcome)->number, 207);
    EXPECT_EQ(FirstError(BatchOutcome{}), nullptr);
}

}  // namespace
}  // namespace standin
