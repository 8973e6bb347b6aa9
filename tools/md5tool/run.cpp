#include <CLI/CLI.hpp>

#include "commands.h"

namespace md5tool {

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    CLI::App app{"Inspect, validate, pose and render animated MD5 models with the BRMath library.", "md5tool"};
    app.require_subcommand(1, 1);

    std::string infoMesh;
    CLI::App* info = app.add_subcommand("info", "Show a model's joints as a tree, its meshes, its clips and its bounds.");
    info->add_option("MESH", infoMesh, "the .md5mesh file (clips are the .md5anim files beside it)")->required();

    std::vector<std::string> checkFiles;
    CLI::App* check = app.add_subcommand(
        "check", "Validate .md5mesh and .md5anim files with the library's own reader; say why and where it rejects one.");
    check->add_option("FILE", checkFiles, "the files to check (an .md5anim file is read against the mesh beside it)")
        ->required();

    PoseOptions pose;
    CLI::App* poseCommand = app.add_subcommand(
        "pose", "Pose a model and print its state: joint matrices, vertices with normals and tangent frames, and the "
                "vertex stream a device receives.");
    poseCommand->add_option("MESH", pose.mesh, "the .md5mesh file")->required();
    CLI::Option* poseClip = poseCommand->add_option("--clip", pose.clip, "the clip's index (default 0)");
    poseCommand->add_option("--frame", pose.frames, "a frame to pose at; repeat for several (default: as loaded)");
    poseCommand->add_flag("--json", pose.json, "print JSON whose numbers read back as the exact floats");

    RenderOptions render;
    CLI::App* renderCommand = app.add_subcommand(
        "render", "Draw a posed model through the library's exports with a software device and write a PNG; with "
                  "--frames, a labelled contact sheet.");
    renderCommand->add_option("MESH", render.mesh, "the .md5mesh file")->required();
    CLI::Option* renderClip = renderCommand->add_option("--clip", render.clip, "the clip's index (default 0)");
    CLI::Option* frame = renderCommand->add_option("--frame", render.frame, "the frame to draw (default 0)");
    renderCommand->add_option("--frames", render.frames, "frames A:B:STEP (A up to B, B excluded) as a contact sheet")
        ->excludes(frame);
    renderCommand->add_option("--size", render.size, "each picture's size, WxH (default 480x480)");
    renderCommand->add_option("--yaw", render.yaw, "camera angle around the model in degrees (default 25)");
    renderCommand->add_option("--pitch", render.pitch, "camera angle above the model in degrees (default 12)");
    renderCommand->add_option("--supersample", render.supersample, "samples per pixel along each axis (default 3)")
        ->check(CLI::Range(1, 8));
    renderCommand->add_option("-o,--output", render.output, "the PNG file to write")->required();

    std::vector<const char*> argv;
    for (const std::string& arg : args) argv.push_back(arg.c_str());
    try {
        app.parse(static_cast<int>(argv.size()), argv.data());
    } catch (const CLI::ParseError& e) {
        return app.exit(e, out, err) == 0 ? kSuccess : kBadUsage;
    }

    if (info->parsed()) return Info(infoMesh, out, err);
    if (check->parsed()) return Check(checkFiles, out, err);
    if (poseCommand->parsed()) {
        pose.clipGiven = poseClip->count() > 0;
        return Pose(pose, out, err);
    }
    render.clipGiven = renderClip->count() > 0;
    return Render(render, out, err);
}

}  // namespace md5tool
