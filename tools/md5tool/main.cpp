// md5tool: inspect, validate, pose and render MD5 models with the BRMath library.
#include <iostream>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

#include "commands.h"

int main(int argc, char** argv) {
#if defined(_WIN32)
    // "-o -" writes a PNG to standard output: bytes, not text.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    const std::vector<std::string> args(argv, argv + argc);
    return md5tool::Run(args, std::cout, std::cerr);
}
