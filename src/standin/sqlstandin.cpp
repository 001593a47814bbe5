#include <cstdio>
#include <cstring>

#include "Serve.h"

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "serve") == 0) return standin::RunServe(argc - 1, argv + 1);
    std::fprintf(stderr, "usage: sqlstandin init|exec|serve DIR ...\n");
    return 2;
}
