#pragma once
// The line format of issn.dat and of its plain source list issnok.txt.
//
// issn.dat holds one record a line (CRLF), each line stored with a digit substitution:
//   columns  1-10  code, left-aligned, padded with spaces
//   column     11  space
//   columns 12-20  ISSN, nine characters with the hyphen
//   column     21  space
//   columns 22-33  CN, left-aligned; padded to column 33 or ending the line early
// The first byte of a line is stored as it is and gives the line's offset (its digit value, 0 when
// it is not a digit); every later digit d is stored as kIssnKey[(d + offset) mod 10]; every other
// byte is stored as it is, so a line keeps its length.
//
// All text here is code page 936 bytes (columns count bytes); lines are without their CRLF.

#include <optional>
#include <string>
#include <string_view>

namespace kavel {

inline constexpr std::string_view kIssnKey = "3860152947";  // a permutation of the ten digits

// Plain record line -> line as stored in issn.dat.
std::string EncodeIssnLine(std::string_view plainCp936);

// Line as stored in issn.dat -> plain record line. The inverse of EncodeIssnLine.
std::string DecodeIssnLine(std::string_view storedCp936);

struct IssnRecord {
    std::string code;  // at most 10 bytes
    std::string issn;  // at most 9 bytes
    std::string cn;    // at most 12 bytes
};

// Cuts the fields of a decoded issn.dat line by their columns and trims each; a line shorter than
// a field's columns gives what it has of it, possibly empty text.
IssnRecord CutIssnRecord(std::string_view plainCp936);

// The record of one line as stored in issn.dat, or nothing for a line shorter than 2 bytes (such
// lines carry no record and are skipped).
std::optional<IssnRecord> ReadIssnDatLine(std::string_view storedCp936);

// The plain issn.dat record of one line of issnok.txt (code in columns 1-10, ISSN in 11-19, CN in
// 24-35, taken as they stand, the CN without a double-byte character that column 35 would cut
// in half), or nothing for a line shorter than 20 bytes, which is skipped.
std::optional<std::string> IssnRecordFromSourceLine(std::string_view lineCp936);

// The plain issn.dat record of one row of lib_issncode: each value trimmed, then padded with
// spaces or cut to 10, 9 and 12 bytes; always 33 bytes. A cut never splits a double-byte
// character: a lead byte that would lose its trail byte becomes a space instead.
std::string IssnRecordFromRow(std::string_view codeCp936, std::string_view issnCp936,
                              std::string_view cnCp936);

}  // namespace kavel
