// A stand-in for the sqlstandin program with a FakeEngine behind the real TDS server, driven by
// StandinServer like the real program: `init DIR --sa-password P [--script F]...` records the
// password; `serve DIR --listen HOST:PORT [--trace F]` serves until SIGTERM.

#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>

#include "FakeEngine.h"
#include "ServeUntilSignalled.h"
#include "Server.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: fake_sqlstandin init|serve DIR ...\n");
        return 2;
    }
    const fs::path dir = argv[2];
    try {
        if (std::strcmp(argv[1], "init") == 0) {
            std::string password;
            for (int i = 3; i + 1 < argc; ++i)
                if (std::strcmp(argv[i], "--sa-password") == 0) password = argv[i + 1];
            fs::create_directories(dir);
            std::ofstream(dir / "password") << password;
            return 0;
        }
        standin::tds::ServerConfig config;
        for (int i = 3; i + 1 < argc; ++i)
            if (std::strcmp(argv[i], "--listen") == 0 &&
                !standin::tds::ParseListenAddress(argv[i + 1], config))
                throw std::runtime_error("bad --listen");
        std::string password;
        std::getline(std::ifstream(dir / "password"), password);
        standin::test::FakeEngine engine(password);
        standin::tds::ServeUntilSignalled(engine, config);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "fake_sqlstandin: %s\n", e.what());
        return 1;
    }
}
