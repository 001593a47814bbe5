#include "Serve.h"

#include <cstdio>

namespace standin {
int RunServe(int, char**) {
    std::fprintf(stderr, "sqlstandin: serve is not built yet\n");
    return 2;
}
}  // namespace standin
