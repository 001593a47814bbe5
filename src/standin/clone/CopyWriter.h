#pragma once
// The copy being built: a stand-in engine opened in-process on a folder, one session, and
// statements that must succeed.

#include <filesystem>
#include <memory>
#include <string>

#include "Engine.h"
#include "clone/CatalogueReader.h"

namespace standin::clone {

class CopyWriter {
public:
    explicit CopyWriter(const std::filesystem::path& dir);

    // Runs one batch; throws std::runtime_error with the engine's message when a statement
    // fails.
    void Run(const std::string& sql);
    // Runs a query and returns its rows as text, the way an ODBC client would read them.
    TextRows Query(const std::string& sql);
    QueryText Reader() {
        return [this](const std::string& sql) { return Query(sql); };
    }
    void Checkpoint() { engine_->Checkpoint(); }

private:
    std::unique_ptr<Engine> engine_;
    Session session_;
};

// A reader of an existing stand-in folder without a server (sqlstandin catalogue DIR).
class EngineReader {
public:
    explicit EngineReader(const std::filesystem::path& dir) : writer_(dir) {}
    QueryText Reader() { return writer_.Reader(); }

private:
    CopyWriter writer_;
};

}  // namespace standin::clone
