#include "exec/TextFormat.h"

#include "Cp936.h"
#include "types/DateTimeOps.h"
#include "types/DecimalMath.h"

namespace standin {

std::string FormatValue(const Value& v) {
    if (IsNull(v)) return "NULL";
    if (auto* i = std::get_if<std::int64_t>(&v)) return std::to_string(*i);
    if (auto* d = std::get_if<Decimal>(&v)) return DecimalToString(*d);
    if (auto* dt = std::get_if<DateTime>(&v)) return FormatDateTimeDisplay(*dt);
    return kavel::Cp936ToUtf8Lossy(std::get<std::string>(v));
}

std::string FormatOutcome(const BatchOutcome& outcome) {
    std::string out;
    for (const StatementOutcome& s : outcome.statements) {
        if (s.resultSet) {
            std::string header;
            for (std::size_t i = 0; i < s.resultSet->columns.size(); ++i) {
                if (i) header += '\t';
                header += s.resultSet->columns[i].name;
            }
            out += header + "\n";
            for (auto& row : s.resultSet->rows) {
                std::string line;
                for (std::size_t i = 0; i < row.size(); ++i) {
                    if (i) line += '\t';
                    line += FormatValue(row[i]);
                }
                out += line + "\n";
            }
        } else if (s.rowCount && !s.failed) {
            out += "(" + std::to_string(*s.rowCount) +
                   (*s.rowCount == 1 ? " row affected)\n" : " rows affected)\n");
        }
        for (auto& m : s.messages) {
            if (m.severity > 10) {
                out += "Msg " + std::to_string(m.number) + ", Level " + std::to_string(m.severity) +
                       ", State " + std::to_string(m.state) + ", Line " + std::to_string(m.line) +
                       "\n";
            }
            out += m.text + "\n";
        }
    }
    return out;
}

}  // namespace standin
