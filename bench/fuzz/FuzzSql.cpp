// libFuzzer target: the input is the text of one batch. It goes through the engine's lexer and
// parser, and every statement that parses is bound against a small catalogue of two tables (an
// identity column, text, numeric and datetime columns), as the engine does before it runs one.
// SqlError is the engine's answer to bad text, and TextCodecError from the parser its answer to
// bytes that are not UTF-8 (the batch then fails as a syntax error): neither is a finding. A
// crash, a sanitizer report, a hang, any other exception, or tokens that leave the batch are.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "Cp936.h"
#include "Engine.h"
#include "SqlError.h"
#include "bind/Binder.h"
#include "catalog/Catalogue.h"
#include "sql/Lexer.h"
#include "sql/Parser.h"
#include "types/SqlTypes.h"

namespace {

using namespace standin;

Column MakeColumn(const char* name, SqlType type, bool nullable = true) {
    Column c;
    c.name = name;
    c.type = type;
    c.nullable = nullable;
    return c;
}

void AddTable(Catalogue& catalogue, const char* name, std::vector<Column> columns) {
    auto t = std::make_unique<Table>();
    t->id = catalogue.NewObjectId();
    t->name = name;
    t->columns = std::move(columns);
    for (Column& c : t->columns) c.colid = t->nextColid++;
    catalogue.AddTable(std::move(t));
}

// lib_qk and lib_bianma, in the shapes the upgrade's statements meet most.
void FillCatalogue(Catalogue& catalogue) {
    Column no = MakeColumn("qk_no", MakeType(TypeId::Int), false);
    no.identity = true;
    AddTable(catalogue, "lib_qk",
             {no, MakeColumn("qk_name", MakeType(TypeId::VarChar, 40)),
              MakeColumn("qk_price", MakeType(TypeId::Numeric, 0, 8, 2)),
              MakeColumn("qk_flag", MakeType(TypeId::Bit))});
    AddTable(catalogue, "lib_bianma",
             {MakeColumn("bm_no", MakeType(TypeId::Int), false),
              MakeColumn("bm_code", MakeType(TypeId::Char, 10), false),
              MakeColumn("bm_bookno", MakeType(TypeId::Char, 22)),
              MakeColumn("bm_date", MakeType(TypeId::DateTime)),
              MakeColumn("bm_note", MakeType(TypeId::Text)),
              MakeColumn("bm_count", MakeType(TypeId::TinyInt))});
}

// Every token lies inside the batch, in order, and lines only grow.
void CheckTokens(std::string_view batch) {
    std::vector<Token> tokens;
    try {
        tokens = Tokenize(batch);
    } catch (const SqlError&) {
        return;
    } catch (const kavel::TextCodecError&) {
        return;
    }
    std::size_t previousEnd = 0;
    int previousLine = 1;
    for (const Token& t : tokens) {
        if (t.kind == TokenKind::End) break;
        if (t.begin < previousEnd || t.begin >= t.end || t.end > batch.size() ||
            t.line < previousLine)
            __builtin_trap();
        previousEnd = t.end;
        previousLine = t.line;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view batch(reinterpret_cast<const char*>(data), size);
    CheckTokens(batch);
    std::vector<Statement> statements;
    try {
        statements = ParseBatch(batch);
    } catch (const SqlError&) {
        return 0;
    } catch (const kavel::TextCodecError&) {
        return 0;
    }
    Catalogue catalogue;
    FillCatalogue(catalogue);
    Session session;
    session.identityInsertTable = size % 2 ? "lib_qk" : "";
    for (const Statement& statement : statements) {
        try {
            Binder(catalogue, &session).Bind(statement);
        } catch (const SqlError&) {
        }
    }
    return 0;
}
