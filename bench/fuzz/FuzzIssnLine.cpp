// libFuzzer target: the input is one line of issn.dat as stored (code page 936 bytes, without
// its CRLF). ReadIssnDatLine must take any bytes; the codec's two directions must undo each other
// and keep the length; the fields it cuts fit their columns. The record builders the ISSN file
// tools use are run on the same bytes: their records always have the fixed layout.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "IssnLine.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kavel;
    const std::string_view line(reinterpret_cast<const char*>(data), size);

    const auto record = ReadIssnDatLine(line);
    if (record.has_value() != (size >= 2)) __builtin_trap();
    if (record && (record->code.size() > 10 || record->issn.size() > 9 || record->cn.size() > 12))
        __builtin_trap();

    const std::string plain = DecodeIssnLine(line);
    if (plain.size() != size || EncodeIssnLine(plain) != line) __builtin_trap();
    const std::string stored = EncodeIssnLine(line);
    if (stored.size() != size || DecodeIssnLine(stored) != line) __builtin_trap();

    // A line of issnok.txt: a record of at most 35 bytes, none for a short line.
    const auto fromSource = IssnRecordFromSourceLine(line);
    if (fromSource.has_value() != (size >= 20)) __builtin_trap();
    if (fromSource && fromSource->size() > 35) __builtin_trap();

    // A row of lib_issncode, its three values cut from the input: always 33 bytes.
    const std::string row = IssnRecordFromRow(
        line.substr(0, size / 3), line.substr(size / 3, size / 3), line.substr(2 * (size / 3)));
    if (row.size() != 33 || row[10] != ' ' || row[20] != ' ') __builtin_trap();
    return 0;
}
