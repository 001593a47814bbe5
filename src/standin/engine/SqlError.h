#pragma once
// An error that ends a statement: the messages SQL Server would send for it, and whether it also
// ends the rest of the batch. Line numbers are filled in by the batch runner from the statement.

#include <stdexcept>
#include <string>
#include <vector>

#include "Engine.h"

namespace standin {

// What an error ends: its statement only (the batch goes on), or the rest of the batch too.
enum class Ends { Statement, Batch };

class SqlError : public std::runtime_error {
public:
    SqlError(std::vector<SqlMessage> messages, Ends ends)
        : std::runtime_error(messages.empty() ? std::string("SQL error") : messages.front().text),
          messages_(std::move(messages)),
          abortsBatch_(ends == Ends::Batch) {}

    const std::vector<SqlMessage>& Messages() const { return messages_; }
    std::vector<SqlMessage>& Messages() { return messages_; }
    bool AbortsBatch() const { return abortsBatch_; }
    int Number() const { return messages_.empty() ? 0 : messages_.front().number; }

private:
    std::vector<SqlMessage> messages_;
    bool abortsBatch_;
};

}  // namespace standin
