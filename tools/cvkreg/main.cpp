// cvkreg: placeholder entry point until the tool lands.
#include "engine/core/version.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("cvkreg %s\n", cvk::EngineVersionText().c_str());
        return 0;
    }
    std::fprintf(stderr, "usage: cvkreg --version\n");
    return 2;
}
