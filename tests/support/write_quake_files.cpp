// Writes the tests' small Quake and Quake 2 bases into a folder, for tests outside
// C++ (the page's): FOLDER/id1 and FOLDER/baseq2.
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "support/quake_files.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: write_quake_files FOLDER\n");
        return 2;
    }
    const brmath_test::TempFolder folder;
    brmath_test::WriteQuakeFiles(folder);
    std::error_code code;
    std::filesystem::create_directories(argv[1], code);
    std::filesystem::copy(folder.Path(), argv[1],
                          std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing, code);
    if (code) std::fprintf(stderr, "write_quake_files: %s\n", code.message().c_str());
    return code ? 1 : 0;
}
