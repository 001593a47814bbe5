// Runs one golden file against a fresh database and compares what each batch prints.
//
// File format:
//   # a comment (ignored wherever it stands)
//   > first line of a batch
//   > more lines of the same batch
//   expected output, line by line, exactly as `sqlstandin exec` prints it
//
// A batch line "GO" splits a block into batches, as in a script; the expected output is then that
// of all of them in order.
//
// Blank lines between blocks are ignored (so an expected block cannot end with an empty line).
// "#capture NAME" before a batch keeps the first column of its first row (trailing blanks
// dropped) under NAME; "{{NAME}}" in later batches and expected lines stands for that value, for
// names the server generates (such as those of unnamed defaults).
// Every batch runs with getdate() = 2008-01-15 10:30:00. After the last batch the runner also
// checks that the statements the database reported as applied replay to the same state, and that
// the state survives Save/Load unchanged.

#include <algorithm>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "TestDatabase.h"
#include "sql/ScriptSplitter.h"
#include "types/DateTimeOps.h"

namespace {

struct Block {
    int line = 0;  // line of the batch's first "> " line in the file
    std::string batch;
    std::vector<std::string> expected;
    std::string capture;  // name to keep the first value of the first result under
};

std::string Substitute(std::string text, const std::map<std::string, std::string>& vars) {
    for (auto& [name, value] : vars) {
        std::string mark = "{{" + name + "}}";
        for (std::size_t p = text.find(mark); p != std::string::npos;
             p = text.find(mark, p + value.size()))
            text.replace(p, mark.size(), value);
    }
    return text;
}

std::vector<Block> ReadBlocks(std::istream& in) {
    std::vector<Block> blocks;
    std::string line;
    int n = 0;
    bool inBatch = false;
    std::string pendingCapture;
    while (std::getline(in, line)) {
        ++n;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("> ", 0) == 0 || line == ">") {
            const std::string text = line.substr(std::min<std::size_t>(2, line.size()));
            if (inBatch)
                blocks.back().batch += "\n" + text;
            else
                blocks.push_back(Block{n, text, {}, std::exchange(pendingCapture, {})});
            inBatch = true;
            continue;
        }
        inBatch = false;
        if (line.rfind("#capture ", 0) == 0) {
            pendingCapture = line.substr(9);
            continue;
        }
        if (line.rfind("#", 0) == 0) continue;  // comments: no output line starts with '#'
        if (blocks.empty()) {
            if (!line.empty()) std::cerr << "line " << n << ": output before the first batch\n";
            continue;
        }
        blocks.back().expected.push_back(line);
    }
    for (auto& b : blocks)
        while (!b.expected.empty() && b.expected.back().empty()) b.expected.pop_back();
    return blocks;
}

// Whether a value is what its result column declares, as the TDS layer sends it: a decimal with
// the column's precision and scale, text within the width (char exactly), and so on.
std::string Nonconforming(const standin::ResultColumn& c, const standin::Value& v) {
    using standin::TypeId;
    if (standin::IsNull(v)) return c.nullable ? "" : "NULL in a NOT NULL column";
    const auto* s = std::get_if<std::string>(&v);
    const auto* d = std::get_if<standin::Decimal>(&v);
    const auto width = static_cast<std::size_t>(c.type.length);
    switch (c.type.id) {
        case TypeId::Char:
            return !s ? "not text" : s->size() != width ? "char of another width" : "";
        case TypeId::VarChar:
            return !s ? "not text" : s->size() > width ? "longer than its varchar" : "";
        case TypeId::Text:
            return s ? "" : "not text";
        case TypeId::Numeric:
        case TypeId::Decimal:
            return !d ? "not a decimal"
                   : d->precision != c.type.precision || d->scale != c.type.scale
                       ? "decimal of another precision or scale"
                       : "";
        case TypeId::DateTime:
            return std::holds_alternative<standin::DateTime>(v) ? "" : "not a datetime";
        default:
            return std::holds_alternative<std::int64_t>(v) ? "" : "not an integer";
    }
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) out.push_back(line);
    while (!out.empty() && out.back().empty()) out.pop_back();
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: engine_golden FILE.test\n";
        return 2;
    }
    std::ifstream file(argv[1]);
    if (!file) {
        std::cerr << "cannot open " << argv[1] << "\n";
        return 2;
    }
    std::vector<Block> blocks = ReadBlocks(file);
    if (blocks.empty()) {
        std::cerr << argv[1] << ": no batches\n";
        return 1;
    }
    standin::testing::TestDatabase db;
    db.ctx.clock = [] {
        return standin::DateTime{standin::DaysFromCivil(2008, 1, 15), (10 * 3600 + 30 * 60) * 300};
    };
    int failures = 0;
    std::map<std::string, std::string> vars;
    for (const Block& b : blocks) {
        std::string batch = Substitute(b.batch, vars);
        standin::BatchOutcome outcome;
        for (const std::string& part : standin::SplitScript(batch)) {
            standin::BatchOutcome o = db.Execute(part);
            for (auto& st : o.statements) outcome.statements.push_back(std::move(st));
        }
        if (!b.capture.empty()) {
            for (auto& st : outcome.statements) {
                if (st.resultSet && !st.resultSet->rows.empty() && !st.resultSet->rows[0].empty()) {
                    std::string v = standin::FormatValue(st.resultSet->rows[0][0]);
                    vars[b.capture] = v.erase(v.find_last_not_of(' ') + 1);
                    break;
                }
            }
        }
        for (auto& st : outcome.statements) {
            if (!st.resultSet) continue;
            for (auto& row : st.resultSet->rows)
                for (std::size_t i = 0; i < row.size(); ++i) {
                    std::string why = Nonconforming(st.resultSet->columns[i], row[i]);
                    if (why.empty()) continue;
                    ++failures;
                    std::cerr << argv[1] << ":" << b.line << ": column " << i + 1 << " '"
                              << st.resultSet->columns[i].name << "': " << why << "\n";
                }
        }
        std::vector<std::string> expected;
        for (auto& l : b.expected) expected.push_back(Substitute(l, vars));
        std::vector<std::string> actual = Lines(standin::FormatOutcome(outcome));
        if (actual == expected) continue;
        ++failures;
        std::cerr << argv[1] << ":" << b.line << ": output differs for\n"
                  << batch << "\n--- expected\n";
        for (auto& l : expected) std::cerr << l << "\n";
        std::cerr << "--- actual\n";
        for (auto& l : actual) std::cerr << l << "\n";
        std::cerr << "---\n";
    }

    // The log of applied statements must rebuild the same state.
    standin::Database replayed;
    try {
        for (auto& a : db.applied) replayed.Replay(a);
    } catch (const std::exception& e) {
        std::cerr << argv[1] << ": replay failed: " << e.what() << "\n";
        ++failures;
    }
    std::string image = db.db.Save();
    if (replayed.Save() != image) {
        std::cerr << argv[1] << ": replaying the applied statements gives a different state\n";
        ++failures;
    }
    auto loaded = standin::Database::Load(image);
    if (loaded->Save() != image) {
        std::cerr << argv[1] << ": Save/Load does not give back the same state\n";
        ++failures;
    }
    if (failures) std::cerr << failures << " failure(s)\n";
    return failures ? 1 : 0;
}
