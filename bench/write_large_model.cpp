// Writes the benchmarks' large generated model into a folder, for benchmarks that run
// outside this build (the web module's, under node). Prints the mesh file's path.
#include <cstdio>

#include "support/tube_model.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: write_large_model FOLDER\n");
        return 2;
    }
    std::printf("%s\n", brmath_test::WriteTubeModel(argv[1], brmath_test::LargeTube()).c_str());
    return 0;
}
