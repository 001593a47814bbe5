#pragma once
// Cuts a T-SQL script into batches at lines that hold only GO (any case, blanks around it
// allowed), as sqlcmd does. Works line by line so that a script arriving on a pipe runs each batch
// as soon as its GO arrives. A batch holding nothing but blanks is not a batch.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace standin {

bool IsGoLine(std::string_view line);

class ScriptSplitter {
public:
    // Takes one line, with its line break if it has one. Returns the batch that a GO line ends.
    std::optional<std::string> AddLine(std::string_view line);
    // The batch after the last GO, at the end of the script.
    std::optional<std::string> Finish();

private:
    std::optional<std::string> TakeBatch();

    std::string pending_;
    bool atStart_ = true;
};

// The batches of a whole script; each is its lines exactly as written, line breaks included.
std::vector<std::string> SplitScript(std::string_view script);

}  // namespace standin
