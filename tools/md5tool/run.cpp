#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <new>

#include "brmath/version.h"
#include "commands.h"

namespace md5tool {

namespace {

// A whole number from 1 to 1000, as frame rates of MD5 files are.
bool ParseFramesASecond(const std::string& text, int* fps) {
    int value = 0;
    const auto [end, problem] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || problem != std::errc() || end != text.data() + text.size() || value < 1 || value > 1000) {
        return false;
    }
    *fps = value;
    return true;
}

}  // namespace

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    CLI::App app{"md5tool " BRMATH_VERSION_STRING
                 ": inspect, validate, pose and render animated MD5 models with the BRMath library.",
                 "md5tool"};
    app.set_version_flag("--version", "md5tool " BRMATH_VERSION_STRING " (BRMath " BRMATH_VERSION_STRING ")");
    app.require_subcommand(1, 1);

    InfoOptions infoOptions;
    CLI::App* info = app.add_subcommand(
        "info", "Show a model's joints as a tree, its meshes, its clips and its bounds, with a warning line for each "
                "thing the library left out (a refused clip, records past a declared count, a track naming no joint).");
    info->add_option("MESH", infoOptions.mesh, "the .md5mesh file (clips are the .md5anim files beside it)")->required();
    info->add_flag("--strict", infoOptions.strict, "exit with 1 when anything was left out");

    CheckOptions checkOptions;
    CLI::App* check = app.add_subcommand(
        "check", "Validate .md5mesh and .md5anim files with the library's own reader; say why and where it rejects one, "
                 "and warn of what it leaves out.");
    check->add_option("FILE", checkOptions.files, "the files to check")->required();
    check->add_option("--mesh", checkOptions.mesh,
                      "the .md5mesh file that .md5anim files are read against (default: the mesh in the clip's "
                      "folder; of several, the one whose name the clip's name begins with)");
    check->add_flag("--strict", checkOptions.strict, "exit with 1 when anything was left out");

    PoseOptions pose;
    CLI::App* poseCommand = app.add_subcommand(
        "pose", "Pose a model and print its state: as text, each joint's translation and each mesh's first vertex; "
                "with --json, every joint matrix, every vertex with its normal and tangent frame, and the vertex "
                "stream a device receives.");
    poseCommand->add_option("MESH", pose.mesh, "the .md5mesh file")->required();
    CLI::Option* poseClip = poseCommand->add_option("--clip", pose.clip, "the clip's index (default 0)");
    poseCommand->add_option("--frame", pose.frames, "a frame to pose at; repeat for several (default: as loaded)");
    poseCommand->add_flag("--json", pose.json,
                          "print the whole state as JSON whose numbers read back as the exact floats (docs/pose-json.md)");

    RenderOptions render;
    CLI::App* renderCommand = app.add_subcommand(
        "render", "Draw a posed model with the library and a software device and write a PNG; with --frames, a "
                  "labelled contact sheet, a numbered sequence of PNG files (-o name-%04d.png) or an animated PNG "
                  "(--apng).");
    renderCommand->add_option("MESH", render.mesh, "the .md5mesh file")->required();
    CLI::Option* renderClip = renderCommand->add_option("--clip", render.clip, "the clip's index (default 0)");
    CLI::Option* frame = renderCommand->add_option("--frame", render.frame, "the frame to draw (default 0)");
    renderCommand->add_option("--frames", render.frames, "frames A:B:STEP (A up to B, B excluded) as a contact sheet")
        ->excludes(frame);
    renderCommand->add_option("--size", render.size, "each picture's size, WxH, each side 16 to 8192 (default 480x480)");
    renderCommand->add_option("--yaw", render.yaw, "camera angle around the model in degrees, -360 to 360 (default 25)");
    renderCommand->add_option("--pitch", render.pitch, "camera angle above the model in degrees, -89 to 89 (default 12)");
    renderCommand->add_option("--supersample", render.supersample, "samples per pixel along each axis (default 3)")
        ->check(CLI::Range(1, 8));
    renderCommand->add_option("--columns", render.columns, "columns of the contact sheet (default: from the frame count)")
        ->check(CLI::Range(1, 1000));
    renderCommand->add_option("--max-pixels", render.maxPixels,
                              "refuse pictures larger than this, counting supersamples (default 50000000)")
        ->check(CLI::Range(1LL, 1LL << 40));
    bool progress = false;
    renderCommand->add_flag("--progress", progress,
                            "print the frames done on standard error (the default when it is a terminal)");
    renderCommand->add_flag("--apng", render.apng,
                            "write the frames as one animated PNG, each shown for its time in the clip");
    renderCommand->add_option("-o,--output", render.output,
                              "the PNG file to write; - for standard output; a name with a %d field (walk-%04d.png, "
                              "at most 16 digits wide) writes one file per frame")
        ->required();

    ExportOptions exportOptions;
    CLI::App* exportCommand = app.add_subcommand(
        "export", "Write a model with its clips as glTF 2.0: a skeleton of joint nodes, a skinned mesh (a primitive per "
                  "MD5 mesh block), an animation per clip. MD5's z-up space is turned into glTF's y-up space in the "
                  "data itself; texture v is flipped to glTF's convention.");
    exportCommand->add_option("MESH", exportOptions.mesh, "the .md5mesh file (clips are the .md5anim files beside it)")
        ->required();
    exportCommand->add_option("-o,--output", exportOptions.output,
                              "OUT.glb (binary) or OUT.gltf (JSON, the buffer in OUT.bin beside it)")
        ->required();
    CLI::Option* exportClip = exportCommand->add_option("--clip", exportOptions.clip, "export this clip only (default: all)");
    exportCommand->add_option("--scale", exportOptions.scale, "metres per model unit (default 1)");
    exportCommand->add_flag("--embed", exportOptions.embed, "with .gltf, embed the buffer in the JSON");
    exportCommand->add_option("--max-weights", exportOptions.maxWeights,
                              "weights a vertex, the largest kept and scaled to sum to one (default 8; 4 for clients "
                              "that read only JOINTS_0 and WEIGHTS_0)");

    ImportOptions importOptions;
    CLI::App* importCommand = app.add_subcommand(
        "import", "Write a skinned glTF 2.0 model as MD5 files the library plays: FOLDER/NAME.md5mesh with the joints of "
                  "one skin in their bind pose, and NAME_<animation>.md5anim for each animation, sampled into frames; "
                  "glTF's y-up space is turned into MD5's z-up space.");
    importCommand->add_option("MODEL", importOptions.model, "the .glb or .gltf file")->required();
    importCommand->add_option("-o,--output", importOptions.folder, "the folder to write to (made when missing)")->required();
    importCommand->add_option("--name", importOptions.name, "the files' name (default: the model's file name)");
    CLI::Option* importSkin = importCommand->add_option(
        "--skin", importOptions.skin, "the skin whose joints make the skeleton, from 0 (default: the one with the most "
                                      "vertices)");
    std::string fpsText;
    CLI::Option* importFps = importCommand->add_option(
        "--fps", fpsText, "frames a second, a whole number from 1 to 1000 (default: the rate the keys are spaced at, "
                          "else 24)");
    importCommand->add_option("--scale", importOptions.scale, "model units a glTF metre (default 1)");

    const char* statuses = "Exit status: 0 success, 1 bad input (a file that does not load or cannot be written), "
                           "2 bad usage.";
    app.footer(statuses);
    for (CLI::App* command : app.get_subcommands({})) command->footer(statuses);

    // A first word that is no option and no command is named as such.
    if (args.size() > 1 && !args[1].empty() && args[1][0] != '-') {
        bool known = false;
        for (const CLI::App* command : app.get_subcommands({})) known = known || command->get_name() == args[1];
        if (!known) {
            err << "md5tool: unknown command " << args[1] << " (the commands: info, check, pose, render, export, import)\n";
            return kBadUsage;
        }
    }
    std::vector<const char*> argv;
    for (const std::string& arg : args) argv.push_back(arg.c_str());
    try {
        app.parse(static_cast<int>(argv.size()), argv.data());
    } catch (const CLI::ParseError& e) {
        const int status = app.exit(e, out, err) == 0 ? kSuccess : kBadUsage;
        // Help that could not be written (a full disk, a closed pipe) is a failure too.
        errno = 0;
        if (!out.flush()) {
            err << "md5tool: cannot write to standard output" << (errno != 0 ? std::string(": ") + std::strerror(errno) : "")
                << "\n";
            return kBadInput;
        }
        return status;
    }

    const auto runCommand = [&]() {
        if (info->parsed()) return Info(infoOptions, out, err);
        if (check->parsed()) return Check(checkOptions, out, err);
        if (poseCommand->parsed()) {
            pose.clipGiven = poseClip->count() > 0;
            return Pose(pose, out, err);
        }
        if (importCommand->parsed()) {
            importOptions.skinGiven = importSkin->count() > 0;
            if (importFps->count() > 0 && !ParseFramesASecond(fpsText, &importOptions.fps)) {
                err << "md5tool: --fps wants a whole number of frames a second from 1 to 1000 (MD5 frame rates are "
                       "whole numbers), not \"" << fpsText << "\"\n";
                return kBadUsage;
            }
            return Import(importOptions, out, err);
        }
        if (exportCommand->parsed()) {
            exportOptions.clipGiven = exportClip->count() > 0;
            return Export(exportOptions, out, err);
        }
        render.clipGiven = renderClip->count() > 0;
        render.progressInPlace = &err == &std::cerr && isatty(fileno(stderr)) != 0;
        render.progress = progress || render.progressInPlace;
        return Render(render, out, err);
    };
    int status = kSuccess;
    try {
        status = runCommand();
    } catch (const std::bad_alloc&) {
        err << "md5tool: out of memory\n";
        return kBadInput;
    } catch (const std::exception& e) {
        err << "md5tool: " << e.what() << "\n";
        return kBadInput;
    }
    // Output that could not be written (a full disk, a closed pipe) is a failure.
    errno = 0;
    if (!out.flush()) {
        const bool wroteFiles = status == kSuccess && (importCommand->parsed() || exportCommand->parsed());
        err << "md5tool: cannot write to standard output" << (errno != 0 ? std::string(": ") + std::strerror(errno) : "")
            << (wroteFiles ? " (the files were written whole)" : "") << "\n";
        return kBadInput;
    }
    return status;
}

}  // namespace md5tool
