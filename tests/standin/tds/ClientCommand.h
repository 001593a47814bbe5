#pragma once
// Runs a command-line client (tsql, isql) with text on its standard input and collects what it
// printed, standard error included.

#include <filesystem>
#include <string>

namespace standin::test {

struct CommandResult {
    int exitCode = -1;
    std::string output;
};

// `command` is passed to /bin/sh; input and output go through files in `folder`.
CommandResult RunClient(const std::string& command, const std::string& input,
                        const std::filesystem::path& folder);

}  // namespace standin::test
