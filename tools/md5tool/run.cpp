#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <new>

#include "brmath/version.h"
#include "command_line.h"
#include "commands.h"

namespace md5tool {

namespace {

// Output that could not be written (a full disk, a closed pipe) is a failure, said on `err`.
bool Flushed(std::ostream& out, std::ostream& err, bool wroteFiles) {
    errno = 0;
    if (out.flush()) return true;
    err << "md5tool: cannot write to standard output" << (errno != 0 ? std::string(": ") + std::strerror(errno) : "")
        << (wroteFiles ? " (the files were written whole)" : "") << "\n";
    return false;
}

}  // namespace

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    CLI::App app{"md5tool " BRMATH_VERSION_STRING
                 ": inspect, validate, pose and render animated MD5 models with the BRMath library.",
                 "md5tool"};
    app.set_version_flag("--version", "md5tool " BRMATH_VERSION_STRING " (BRMath " BRMATH_VERSION_STRING ")");
    app.require_subcommand(1, 1);

    const Command commands[] = {AddInfoCommand(app, out, err),   AddCheckCommand(app, out, err),
                                AddPoseCommand(app, out, err),   AddRenderCommand(app, out, err),
                                AddExportCommand(app, out, err), AddImportCommand(app, out, err),
                                AddListCommand(app, out, err)};

    const char* statuses = "Exit status: 0 success, 1 bad input (a file that does not load or cannot be written), "
                           "2 bad usage.";
    app.footer(statuses);
    for (CLI::App* command : app.get_subcommands({})) command->footer(statuses);

    // A first word that is no option and no command is named as such.
    if (args.size() > 1 && !args[1].empty() && args[1][0] != '-') {
        bool known = false;
        for (const CLI::App* command : app.get_subcommands({})) known = known || command->get_name() == args[1];
        if (!known) {
            err << "md5tool: unknown command " << args[1] << " (the commands: info, check, pose, render, export, import, list)\n";
            return kBadUsage;
        }
    }
    std::vector<const char*> argv;
    for (const std::string& arg : args) argv.push_back(arg.c_str());
    try {
        app.parse(static_cast<int>(argv.size()), argv.data());
    } catch (const CLI::ParseError& e) {
        const int status = app.exit(e, out, err) == 0 ? kSuccess : kBadUsage;
        // Help that could not be written is a failure too.
        if (!Flushed(out, err, false)) return kBadInput;
        return status;
    }

    const Command* parsed = &commands[0];
    for (const Command& command : commands) parsed = command.app->parsed() ? &command : parsed;
    int status = kSuccess;
    try {
        status = parsed->run();
    } catch (const std::bad_alloc&) {
        err << "md5tool: out of memory\n";
        return kBadInput;
    } catch (const std::exception& e) {
        err << "md5tool: " << e.what() << "\n";
        return kBadInput;
    }
    return Flushed(out, err, status == kSuccess && parsed->writesFiles) ? status : kBadInput;
}

}  // namespace md5tool
