#include "command_line.h"

#include <unistd.h>

#include <charconv>
#include <climits>
#include <cstdlib>
#include <cstdio>
#include <iostream>
#include <memory>

#include "commands.h"
#include "engine_target.h"

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

// What --clip gave: a number goes to *clip, anything else to *name.
void ClipOption(const std::string& text, int* clip, std::string* name) {
    char* end = nullptr;
    const long long number = std::strtoll(text.c_str(), &end, 10);
    if (!text.empty() && *end == '\0' && number >= INT_MIN && number <= INT_MAX) {
        *clip = static_cast<int>(number);
    } else {
        *name = text;
    }
}

// --base, on the commands that read a model.
void AddBaseOption(CLI::App* command, std::vector<std::string>& bases) {
    command->add_option("--base", bases,
                        "a game folder or an archive (.pk4, .pak, .pk3, .pkz) to find the model in; repeat for a mod "
                        "over the game, the later winning. MESH may then be a model declaration's or an entityDef's "
                        "name, a Quake model (progs/X.mdl, DIR/tris.md2), or a mesh's path inside the base");
}

// --target, on the commands that hold a model to an engine's limits.
void AddTargetOption(CLI::App* command, std::vector<std::string>& targets, const std::string& what) {
    std::vector<std::string> names;
    for (const convert::EngineTarget& target : convert::EngineTargets()) names.push_back(target.name);
    command->add_option("--target", targets, what)->check(CLI::IsMember(names));
}

}  // namespace

Command AddInfoCommand(CLI::App& app, std::ostream& out, std::ostream& err) {
    auto options = std::make_shared<InfoOptions>();
    CLI::App* info = app.add_subcommand(
        "info", "Show a model's joints as a tree, its meshes, its clips and its bounds, with a warning line for each "
                "thing the library left out (a refused clip, records past a declared count, a track naming no joint).");
    info->add_option("MESH", options->mesh, "the .md5mesh file (clips are the .md5anim files beside it)")->required();
    info->add_flag("--strict", options->strict, "exit with 1 when anything was left out");
    AddBaseOption(info, options->bases);
    return {info, [options, &out, &err] { return Info(*options, out, err); }};
}

Command AddCheckCommand(CLI::App& app, std::ostream& out, std::ostream& err) {
    auto options = std::make_shared<CheckOptions>();
    CLI::App* check = app.add_subcommand(
        "check", "Validate .md5mesh and .md5anim files with the library's own reader; say why and where it rejects one, "
                 "and warn of what it leaves out.");
    check->add_option("FILE", options->files, "the files to check")->required();
    check->add_option("--mesh", options->mesh,
                      "the .md5mesh file that .md5anim files are read against (default: the mesh in the clip's "
                      "folder; of several, the one whose name the clip's name begins with)");
    check->add_flag("--strict", options->strict, "exit with 1 when anything was left out");
    AddBaseOption(check, options->bases);
    AddTargetOption(check, options->targets,
                    "also hold the files to an engine's limits: library (the default), doom3, bfg, quake or quake2; "
                    "what it refuses is an error in its words, what it changes silently a warning. Repeat for more");
    return {check, [options, &out, &err] { return Check(*options, out, err); }};
}

Command AddPoseCommand(CLI::App& app, std::ostream& out, std::ostream& err) {
    auto options = std::make_shared<PoseOptions>();
    CLI::App* pose = app.add_subcommand(
        "pose", "Pose a model and print its state: as text, each joint's translation and each mesh's first vertex; "
                "with --json, every joint matrix, every vertex with its normal and tangent frame, and the vertex "
                "stream a device receives.");
    pose->add_option("MESH", options->mesh, "the .md5mesh file")->required();
    auto clipText = std::make_shared<std::string>();
    AddBaseOption(pose, options->bases);
    CLI::Option* clip = pose->add_option("--clip", *clipText, "the clip's number or name (default 0)");
    pose->add_option("--frame", options->frames, "a frame to pose at; repeat for several (default: as loaded)");
    pose->add_flag("--json", options->json,
                   "print the whole state as JSON whose numbers read back as the exact floats (docs/pose-json.md)");
    return {pose, [options, clip, clipText, &out, &err] {
                options->clipGiven = clip->count() > 0;
                ClipOption(*clipText, &options->clip, &options->clipName);
                return Pose(*options, out, err);
            }};
}

Command AddRenderCommand(CLI::App& app, std::ostream& out, std::ostream& err) {
    auto options = std::make_shared<RenderOptions>();
    auto progress = std::make_shared<bool>(false);
    CLI::App* render = app.add_subcommand(
        "render", "Draw a posed model with the library and a software device and write a PNG; with --frames, a "
                  "labelled contact sheet, a numbered sequence of PNG files (-o name-%04d.png) or an animated PNG "
                  "(--apng).");
    render->add_option("MESH", options->mesh, "the .md5mesh file")->required();
    auto clipText = std::make_shared<std::string>();
    AddBaseOption(render, options->bases);
    CLI::Option* clip = render->add_option("--clip", *clipText, "the clip's number or name (default 0)");
    CLI::Option* frame = render->add_option("--frame", options->frame, "the frame to draw (default 0)");
    render->add_option("--frames", options->frames, "frames A:B:STEP (A up to B, B excluded) as a contact sheet")
        ->excludes(frame);
    render->add_option("--size", options->size, "each picture's size, WxH, each side 16 to 8192 (default 480x480)");
    render->add_option("--yaw", options->yaw, "camera angle around the model in degrees, -360 to 360 (default 25)");
    render->add_option("--pitch", options->pitch, "camera angle above the model in degrees, -89 to 89 (default 12)");
    render->add_option("--supersample", options->supersample, "samples per pixel along each axis (default 3)")
        ->check(CLI::Range(1, 8));
    render->add_option("--columns", options->columns, "columns of the contact sheet (default: from the frame count)")
        ->check(CLI::Range(1, 1000));
    render->add_option("--max-pixels", options->maxPixels,
                       "refuse pictures larger than this, counting supersamples (default 50000000)")
        ->check(CLI::Range(1LL, 1LL << 40));
    render->add_flag("--progress", *progress, "print the frames done on standard error (the default when it is a terminal)");
    render->add_flag("--apng", options->apng, "write the frames as one animated PNG, each shown for its time in the clip");
    render->add_option("-o,--output", options->output,
                       "the PNG file to write; - for standard output; a name with a %d field (walk-%04d.png, "
                       "at most 16 digits wide) writes one file per frame")
        ->required();
    return {render, [options, progress, clip, clipText, &out, &err] {
                options->clipGiven = clip->count() > 0;
                ClipOption(*clipText, &options->clip, &options->clipName);
                options->progressInPlace = &err == &std::cerr && isatty(fileno(stderr)) != 0;
                options->progress = *progress || options->progressInPlace;
                return Render(*options, out, err);
            }};
}

Command AddExportCommand(CLI::App& app, std::ostream& out, std::ostream& err) {
    auto options = std::make_shared<ExportOptions>();
    CLI::App* command = app.add_subcommand(
        "export", "Write a model with its clips as glTF 2.0: a skeleton of joint nodes, a skinned mesh (a primitive per "
                  "MD5 mesh block), an animation per clip. MD5's z-up space is turned into glTF's y-up space in the "
                  "data itself; texture v is flipped to glTF's convention.");
    command->add_option("MESH", options->mesh, "the .md5mesh file (clips are the .md5anim files beside it)")->required();
    command->add_option("-o,--output", options->output, "OUT.glb (binary) or OUT.gltf (JSON, the buffer in OUT.bin beside it)")
        ->required();
    auto clipText = std::make_shared<std::string>();
    AddBaseOption(command, options->bases);
    CLI::Option* clip = command->add_option("--clip", *clipText, "export this clip only, by number or name (default: all)");
    command->add_option("--scale", options->scale, "metres per model unit (default 1)");
    command->add_flag("--embed", options->embed, "with .gltf, embed the buffer in the JSON");
    command->add_option("--max-weights", options->maxWeights,
                        "weights a vertex, the largest kept and scaled to sum to one (default 8; 4 for clients "
                        "that read only JOINTS_0 and WEIGHTS_0)");
    return {command,
            [options, clip, clipText, &out, &err] {
                options->clipGiven = clip->count() > 0;
                ClipOption(*clipText, &options->clip, &options->clipName);
                return Export(*options, out, err);
            },
            true};
}

Command AddImportCommand(CLI::App& app, std::ostream& out, std::ostream& err) {
    auto options = std::make_shared<ImportOptions>();
    auto fpsText = std::make_shared<std::string>();
    CLI::App* command = app.add_subcommand(
        "import", "Write a skinned glTF 2.0 model as MD5 files the library plays: FOLDER/NAME.md5mesh with the joints of "
                  "one skin in their bind pose, and NAME_<animation>.md5anim for each animation, sampled into frames; "
                  "glTF's y-up space is turned into MD5's z-up space.");
    command->add_option("MODEL", options->model, "the .glb or .gltf file")->required();
    CLI::Option* output = command->add_option("-o,--output", options->folder, "the folder to write to (made when missing)");
    CLI::Option* mod = command->add_option(
        "--mod", options->mod,
        "instead, a game's mod folder to write into: models/md5/NAME/ (the mesh, its clips and the materials' maps "
        "as TGA), materials/NAME.mtr and def/NAME.def declaring model NAME with an anim alias a clip");
    CLI::Option* pk4 = command->add_option("--pk4", options->pk4, "instead, a .pk4 holding what --mod writes");
    output->excludes(mod)->excludes(pk4);
    mod->excludes(pk4);
    command->add_option("--name", options->name, "the files' name (default: the model's file name)");
    CLI::Option* skin = command->add_option(
        "--skin", options->skin, "the skin whose joints make the skeleton, from 0 (default: the one with the most vertices)");
    CLI::Option* fps = command->add_option(
        "--fps", *fpsText, "frames a second, a whole number from 1 to 1000 (default: the rate the keys are spaced at, "
                           "else 24)");
    command->add_option("--scale", options->scale, "model units a glTF metre (default 1)");
    AddTargetOption(command, options->targets,
                    "make the files fit an engine: doom3, bfg, quake or quake2 (each vertex keeps the weights the "
                    "engine keeps, renormalised; a model over a limit it cannot trim is refused). Repeat for more");
    const auto run = [options, fpsText, skin, fps, &out, &err] {
        options->skinGiven = skin->count() > 0;
        if (fps->count() > 0 && !ParseFramesASecond(*fpsText, &options->fps)) {
            err << "md5tool: --fps wants a whole number of frames a second from 1 to 1000 (MD5 frame rates are "
                   "whole numbers), not \"" << *fpsText << "\"\n";
            return kBadUsage;
        }
        return Import(*options, out, err);
    };
    return {command, run, true};
}

Command AddListCommand(CLI::App& app, std::ostream& out, std::ostream& err) {
    auto options = std::make_shared<ListOptions>();
    CLI::App* list = app.add_subcommand(
        "list", "List a game base's models: every model declaration, every entityDef with a model and every Quake "
                "model (.mdl, .md2) with an MD5 mesh, with its mesh, its clips and how many of its materials and "
                "images (a Quake model's skins) the base holds.");
    list->add_option("--base", options->bases,
                     "a game folder or an archive (.pk4, .pak, .pk3, .pkz); repeat for a mod over the game, the later winning")
        ->required();
    list->add_flag("--json", options->json, "print the list as JSON");
    return {list, [options, &out, &err] { return List(*options, out, err); }};
}

}  // namespace md5tool
