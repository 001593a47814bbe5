#pragma once
#include <string>
#include <string_view>

namespace kavel {

// The sort key of a call number (lib_bianma.bm_noorder, char(26)).
//
// Takes and returns code page 936 bytes: every length and position counts bytes, and each byte is
// mapped on its own, so the key is the same as the database computes on its char columns.
//
// The call number is split at its first '/'. The head is mapped byte by byte onto an alphabet that
// sorts punctuation below digits and letters. A run of digits right after the '/' is padded with
// leading zeros so that head, joining space, zeros and number fill 18 bytes: keys of one head then
// sort by that number. A tail ending in ":n" or "=n" (one character after the separator) becomes
// ":0n" / "=0n". The key holds only 'A'-'Z', '0'-'9', "!#$&*+-/" and at most one space, never a
// quote, and is at most 26 bytes long.
//
// Never fails: every byte string, the empty one and invalid GBK included, gives a key.
std::string MakeNoOrder(std::string_view callNumberCp936);

// The key as bm_noorder stores it, for a call number as the program holds text (UTF-8): converted
// to code page 936, keyed, trimmed (a cut can leave the joining blank last). A character that code
// page 936 cannot hold, and a byte that is not UTF-8, counts as one '?' byte and so maps to '/'.
// The key is ASCII, so converting it back to UTF-8 cannot fail. Never fails.
std::string NoOrderOfText(std::string_view callNumberUtf8);

}  // namespace kavel
