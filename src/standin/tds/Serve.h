#pragma once
namespace standin {
// `sqlstandin serve DIR [--listen HOST:PORT] [--trace FILE] [--fsync]`; argv[0] is "serve".
// Returns the process exit status.
int RunServe(int argc, char** argv);
}  // namespace standin
