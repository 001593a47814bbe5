#pragma once
// The statement trace: one JSON line per batch received,
//   {"seq":N,"session":S,"text":"...","error":null}
//   {"seq":N,"session":S,"text":"...","error":{"number":208,"message":"..."}}
// `text` is the batch exactly as received. Lines are appended with one write each, so a reader
// sees only whole lines (a crash can leave at most the last one short).

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "Engine.h"
#include "storage/StorageFile.h"

namespace standin {

// Appends `text` as a JSON string literal (with quotes). Control characters, quote and backslash
// are escaped; valid UTF-8 passes through as it is; a byte that is not part of valid UTF-8
// becomes U+FFFD, so the line is always valid JSON.
void AppendJsonString(std::string& out, std::string_view text);

// The first error (severity above 10) of a batch, or nullptr.
const SqlMessage* FirstError(const BatchOutcome& outcome);

class TraceWriter {
public:
    // Opens (creating when absent) the file for appending. Numbering continues after the lines
    // already in it, so seq stays unique within the file.
    explicit TraceWriter(std::filesystem::path file);

    // Not thread-safe: the caller serialises, which also keeps seq in the order of execution.
    void Write(int session, std::string_view text, const SqlMessage* error);

    std::uint64_t LastSeq() const { return seq_; }

private:
    std::filesystem::path file_;
    FileHandle handle_;
    std::uint64_t seq_ = 0;
    std::string line_;
};

}  // namespace standin
