#pragma once

// md5tool's commands on the command line: each registers its options with CLI11 and
// gives back how to run it once they are parsed.
#include <CLI/CLI.hpp>
#include <functional>
#include <ostream>

namespace md5tool {

struct Command {
    CLI::App* app = nullptr;
    std::function<int()> run;
    bool writesFiles = false;  // an output failure after it ran leaves its files whole
};

Command AddInfoCommand(CLI::App& app, std::ostream& out, std::ostream& err);
Command AddCheckCommand(CLI::App& app, std::ostream& out, std::ostream& err);
Command AddPoseCommand(CLI::App& app, std::ostream& out, std::ostream& err);
Command AddRenderCommand(CLI::App& app, std::ostream& out, std::ostream& err);
Command AddExportCommand(CLI::App& app, std::ostream& out, std::ostream& err);
Command AddImportCommand(CLI::App& app, std::ostream& out, std::ostream& err);
Command AddListCommand(CLI::App& app, std::ostream& out, std::ostream& err);

}  // namespace md5tool
