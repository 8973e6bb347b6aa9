#pragma once

// md5tool's command line, run in process.
#include <sstream>
#include <string>
#include <vector>

#include "commands.h"

namespace brmath_test {

struct ToolRun {
    int status;
    std::string out, err;
};

inline ToolRun RunMd5tool(std::vector<std::string> args) {
    args.insert(args.begin(), "md5tool");
    std::ostringstream out, err;
    const int status = md5tool::Run(args, out, err);
    return {status, out.str(), err.str()};
}

}  // namespace brmath_test
