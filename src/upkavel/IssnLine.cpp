#include "IssnLine.h"

#include "Trim.h"

namespace kavel {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int LineOffset(std::string_view line) {
    return !line.empty() && IsDigit(line[0]) ? line[0] - '0' : 0;
}

// Columns counted from 1, as in the file's description; what the line has of them.
std::string_view Columns(std::string_view line, std::size_t first, std::size_t last) {
    if (line.size() < first) return {};
    return line.substr(first - 1, last - first + 1);
}

bool IsLeadByte(char c) {
    auto b = static_cast<unsigned char>(c);
    return b >= 0x81 && b <= 0xFE;
}

// `value` trimmed, in exactly `width` bytes: padded with spaces, or cut after the last whole
// character that fits, so that no half of a double-byte character reaches the file.
std::string FixedWidth(std::string_view value, std::size_t width) {
    std::string_view v = TrimView(value);
    std::size_t keep = 0;
    while (keep < v.size()) {
        std::size_t len = IsLeadByte(v[keep]) && keep + 1 < v.size() ? 2 : 1;
        if (keep + len > width) break;
        keep += len;
    }
    std::string out(v.substr(0, keep));
    out.resize(width, ' ');
    return out;
}

}  // namespace

std::string EncodeIssnLine(std::string_view plainCp936) {
    std::string out(plainCp936);
    int offset = LineOffset(plainCp936);
    for (std::size_t i = 1; i < out.size(); ++i)
        if (IsDigit(out[i]))
            out[i] = kIssnKey[static_cast<std::size_t>(out[i] - '0' + offset) % 10];
    return out;
}

std::string DecodeIssnLine(std::string_view storedCp936) {
    std::string out(storedCp936);
    int offset = LineOffset(storedCp936);
    for (std::size_t i = 1; i < out.size(); ++i) {
        if (!IsDigit(out[i])) continue;
        auto position = static_cast<int>(kIssnKey.find(out[i]));
        out[i] = static_cast<char>('0' + (position - offset + 10) % 10);
    }
    return out;
}

IssnRecord CutIssnRecord(std::string_view plainCp936) {
    return IssnRecord{Trim(Columns(plainCp936, 1, 10)), Trim(Columns(plainCp936, 12, 20)),
                      Trim(Columns(plainCp936, 22, 33))};
}

std::optional<IssnRecord> ReadIssnDatLine(std::string_view storedCp936) {
    if (storedCp936.size() < 2) return std::nullopt;
    return CutIssnRecord(DecodeIssnLine(storedCp936));
}

std::optional<std::string> IssnRecordFromSourceLine(std::string_view lineCp936) {
    if (lineCp936.size() < 20) return std::nullopt;
    std::string record(Columns(lineCp936, 1, 10));
    record += ' ';
    record += Columns(lineCp936, 11, 19);
    record += ' ';
    // The CN ends with the last whole character by column 35: a double-byte character that
    // starts there and ends beyond it is left out, not cut in half.
    std::size_t end = 0;
    while (end < lineCp936.size()) {
        const std::size_t length = IsLeadByte(lineCp936[end]) && end + 1 < lineCp936.size() ? 2 : 1;
        if (end + length > 35) break;
        end += length;
    }
    if (end > 23) record += lineCp936.substr(23, end - 23);
    return record;
}

std::string IssnRecordFromRow(std::string_view codeCp936, std::string_view issnCp936,
                              std::string_view cnCp936) {
    return FixedWidth(codeCp936, 10) + " " + FixedWidth(issnCp936, 9) + " " +
           FixedWidth(cnCp936, 12);
}

}  // namespace kavel
