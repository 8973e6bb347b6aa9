// md5tool: inspect, validate, pose and render MD5 models with the BRMath library.
#include <iostream>
#include <string>
#include <vector>

#include "commands.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv, argv + argc);
    return md5tool::Run(args, std::cout, std::cerr);
}
