#include "ExpectedTrace.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace kavel::test {
namespace {

std::string Unescape(const std::string& line) {
    std::string out;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\\' && i + 1 < line.size() && line[i + 1] == 't') {
            out += '\t';
            ++i;
        } else {
            out += line[i];
        }
    }
    return out;
}

}  // namespace

std::string ExpectedSchema(const std::string& actual) {
    const std::string path = KAVEL_EXPECTED_DIR "/upgraded_oldest_layout.schema";
    if (std::getenv("KAVEL_WRITE_EXPECTED")) std::ofstream(path, std::ios::binary) << actual;
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> ExpectedTrace(const std::string& fileName) {
    const std::string path = std::string(KAVEL_EXPECTED_DIR "/") + fileName;
    std::ifstream in(path);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::vector<std::string> statements;
    std::string statement;
    auto endStatement = [&] {
        if (!statement.empty()) statements.push_back(statement);
        statement.clear();
    };
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (line.rfind("#", 0) == 0) continue;
        if (line.empty()) {
            endStatement();
        } else if (line == kAnyStatements) {
            endStatement();
            statements.push_back(kAnyStatements);
        } else if (line.back() == '$') {
            statement += Unescape(line.substr(0, line.size() - 1)) + "\r\n";
        } else {
            throw std::runtime_error(path + ":" + std::to_string(number) + ": no $ at the end");
        }
    }
    endStatement();
    return statements;
}

std::string Visible(const std::string& statement) {
    std::string out;
    for (std::size_t i = 0; i < statement.size(); ++i) {
        if (statement.compare(i, 2, "\r\n") == 0) {
            out += "$\n";
            ++i;
        } else if (statement[i] == '\t') {
            out += "\\t";
        } else {
            out += statement[i];
        }
    }
    return out;
}

std::string MatchTrace(const std::vector<std::string>& received,
                       const std::vector<std::string>& expected) {
    std::size_t r = 0;
    for (std::size_t e = 0; e < expected.size(); ++e) {
        if (expected[e] == kAnyStatements) {
            // Skip up to the next statement given (or to the end when none follows).
            if (e + 1 == expected.size()) return {};
            while (r < received.size() && received[r] != expected[e + 1]) ++r;
            continue;
        }
        std::ostringstream where;
        where << "statement " << r + 1 << " received, " << e + 1 << " expected:\n";
        if (r >= received.size()) {
            return where.str() + "nothing more was received; expected\n" + Visible(expected[e]);
        }
        if (received[r] != expected[e]) {
            return where.str() + "received\n" + Visible(received[r]) + "expected\n" +
                   Visible(expected[e]);
        }
        ++r;
    }
    if (r < received.size()) {
        return "statement " + std::to_string(r + 1) + " was received after the last expected:\n" +
               Visible(received[r]);
    }
    return {};
}

}  // namespace kavel::test
