#include "Serve.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <string_view>

#include "Engine.h"
#include "ServeUntilSignalled.h"
#include "Server.h"

namespace standin {

namespace {

int Usage(const std::string& problem) {
    std::fprintf(stderr, "sqlstandin serve: %s\n", problem.c_str());
    std::fprintf(
        stderr, "usage: sqlstandin serve DIR [--listen 127.0.0.1:PORT] [--trace FILE] [--fsync]\n");
    return 2;
}

}  // namespace

int RunServe(int argc, char** argv) {
    std::filesystem::path dir;
    tds::ServerConfig server;
    EngineOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (a == "--listen") {
            if (++i >= argc || !tds::ParseListenAddress(argv[i], server))
                return Usage("--listen needs HOST:PORT");
        } else if (a == "--trace") {
            if (++i >= argc) return Usage("--trace needs a file name");
            options.traceFile = argv[i];
        } else if (a == "--fsync") {
            options.fsync = true;
        } else if (!a.empty() && a[0] == '-') {
            return Usage("unknown option " + std::string(a));
        } else if (dir.empty()) {
            dir = a;
        } else {
            return Usage("more than one database folder given");
        }
    }
    if (dir.empty()) return Usage("no database folder given");

    try {
        std::unique_ptr<Engine> engine = Engine::Open(dir, options);
        tds::ServeUntilSignalled(*engine, server);
        engine->Checkpoint();
        std::fprintf(stderr, "sqlstandin: stopped cleanly\n");
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "sqlstandin serve: %s\n", e.what());
        return 1;
    }
}

}  // namespace standin
