// Drawing a model with the calls the exports make (load, choose a clip, pose, draw),
// with the software device standing in for Direct3D: one picture, a contact sheet, a
// numbered sequence of pictures or an animated PNG.
#include <algorithm>
#include <memory>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "animated_png.h"
#include "camera.h"
#include "commands.h"
#include "gltf_input.h"
#include "gltf_scene.h"
#include "image.h"
#include "command_support.h"
#include "output_file.h"
#include "rasterizer.h"
#include "render_plan.h"
#include "software_device.h"
#include "surface_maps.h"
#include "wording.h"

namespace md5tool {

using convert::Counted;
using convert::GltfScene;
using convert::IsGltfPath;
using convert::SoftwareDevice;

namespace {

// Everything a picture needs: the actor posed at each frame in turn, drawn by the
// software device.
class FrameSource {
public:
    // `model`, when given, is the actor's, posed as the game shows it.
    FrameSource(brmath::Actor& actor, bool posing, convert::LoadedModel* model = nullptr)
        : actor_(actor), posing_(posing), model_(model) {}
    virtual ~FrameSource() = default;
    virtual std::vector<StreamTriangle> Draw(int frame) {
        if (posing_ && model_ != nullptr) convert::ProceedAnimation(*model_, frame);
        else if (posing_) actor_.ProceedAnimation(frame);
        SoftwareDevice device;
        actor_.Render(device.Device());
        unknownFormat_ = unknownFormat_ || device.sawUnknownFormat;
        // The library draws the meshes in order, each triangle in order: the model
        // says which mesh each triangle belongs to.
        size_t next = 0;
        for (int m = 0; m < actor_.meshCount; ++m) {
            const brmath::Mesh& mesh = actor_.meshes[m];
            for (int t = 0; t < mesh.triangleCount && next < device.triangles.size(); ++t) {
                StreamTriangle& triangle = device.triangles[next++];
                triangle.mesh = m;
                if (frames_) AddTangentFrames(mesh, mesh.triangles[t], triangle);
            }
        }
        return std::move(device.triangles);
    }
    bool SawUnknownFormat() const { return unknownFormat_; }
    // Whether each triangle carries its corners' tangent frames, for normal maps.
    void CarryTangentFrames() { frames_ = true; }

private:
    // The corners' tangent frames, in the device's space as the library draws the rest.
    static void AddTangentFrames(const brmath::Mesh& mesh, const brmath::MeshTriangle& corners, StreamTriangle& triangle) {
        for (int c = 0; c < 3; ++c) {
            const brmath::MeshVertex& vertex = mesh.vertices[corners.indices[c]];
            const brmath::Vector3& t = vertex.tangent;
            const brmath::Vector3& b = vertex.bitangent;
            const float tangent[3] = {t.x, t.z, t.y}, bitangent[3] = {b.x, b.z, b.y};
            std::memcpy(triangle.tangent[c], tangent, sizeof(tangent));
            std::memcpy(triangle.bitangent[c], bitangent, sizeof(bitangent));
        }
    }

    bool frames_ = false;
    brmath::Actor& actor_;
    bool posing_;
    convert::LoadedModel* model_;
    bool unknownFormat_ = false;
};

// A glTF file md5tool exported, posed at the keys of one of its animations as a viewer
// poses it: to see the export beside its original.
class GltfFrameSource : public FrameSource {
public:
    GltfFrameSource(brmath::Actor& unused, const GltfScene& scene, int animation)
        : FrameSource(unused, false), scene_(scene), animation_(animation) {}
    std::vector<StreamTriangle> Draw(int frame) override {
        const int keys = scene_.KeyCount(animation_);
        int key = keys > 0 ? frame % keys : -1;
        if (key < 0 && keys > 0) key += keys;
        return scene_.Draw(keys > 0 ? animation_ : -1, key);
    }

private:
    const GltfScene& scene_;
    int animation_;
};

// The model or glTF file to draw, read once, with the frames it gives.
struct Drawn {
    ModelFiles files;
    convert::LoadedModel model;
    std::vector<convert::SurfaceMaps> maps;  // a game model's, one a mesh
    brmath::Actor none;  // a glTF file has no actor
    GltfScene scene;
    bool posing = false;
    int clipRate = 24;
    std::unique_ptr<FrameSource> source;
};

bool Open(RenderOptions& options, Drawn& drawn, std::ostream& err) {
    if (IsGltfPath(options.mesh)) {
        std::string error;
        if (!drawn.scene.Load(drawn.files.disk, options.mesh, &error)) {
            err << options.mesh << ": error: " << error << "\n";
            return false;
        }
        drawn.posing = options.clip >= 0 && options.clip < drawn.scene.AnimationCount();
        if (!drawn.posing && options.clipGiven) {
            err << NoClipMessage(options.mesh, options.clip, drawn.scene.AnimationCount()) << "\n";
            return false;
        }
        drawn.source = std::make_unique<GltfFrameSource>(drawn.none, drawn.scene, options.clip);
        return true;
    }
    drawn.files.bases = options.bases;
    drawn.model = LoadForCommand(drawn.files, options.mesh, err, err);
    if (!drawn.model.loaded || !ClipByName(drawn.model, options.clipName, &options.clip, err)) return false;
    brmath::Actor& actor = *drawn.model.actor;
    drawn.posing = actor.SetAnimation(options.clip);
    if (!drawn.posing && options.clipGiven) {
        err << NoClipMessage(options.mesh, options.clip, actor.animationCount) << "\n";
        return false;
    }
    if (drawn.posing && actor.animations[options.clip].frameRate > 0) {
        drawn.clipRate = actor.animations[options.clip].frameRate;
    }
    drawn.source = std::make_unique<FrameSource>(actor, drawn.posing, &drawn.model);
    if (drawn.files.fromBase) {
        convert::ModelMaps maps = drawn.files.MapsOf(actor);
        PrintDiagnostics(maps.warnings, err);
        drawn.maps = std::move(maps.meshes);
        drawn.source->CarryTangentFrames();
    }
    return true;
}

// Draws every frame into the sheet, the animation or a file of its own; the share of
// pixels the model covers, or a negative number when a file could not be written.
double DrawFrames(const RenderOptions& options, const RenderPlan& plan, Drawn& drawn, const Camera& camera,
                  Image& sheet, AnimatedPng& animation, std::ostream& out, std::ostream& err) {
    FrameSource& source = *drawn.source;
    const int count = static_cast<int>(plan.frames.size()), scale = options.supersample;
    double coverage = 0;
    std::string error, png;
    for (int i = 0; i < count; ++i) {
        const int frame = plan.frames[static_cast<size_t>(i)];
        Image large(plan.width * scale, plan.height * scale);
        coverage += Rasterize(source.Draw(frame), camera, large, drawn.maps.empty() ? nullptr : &drawn.maps);
        Image cell = large.Downsample(scale);
        if (plan.sheet && count > 1) DrawLabel(cell, std::to_string(frame), 8, 8, 2, {0.2f, 0.22f, 0.26f});
        if (plan.sheet) {
            sheet.Paste(cell, (i % plan.columns) * (plan.width + plan.gap), (i / plan.columns) * (plan.height + plan.gap));
        } else if (!cell.EncodePng(&png)) {
            throw std::bad_alloc();
        } else if (options.apng) {
            animation.AddFrame(png);
        } else if (!WriteOutput(FrameFileName(options.output, frame), png, out, &error)) {
            err << "md5tool: " << error << "\n";
            if (i > 0) {
                err << "md5tool: the " << i << " frame" << (i == 1 ? "" : "s") << " before it (" << plan.frames[0]
                    << " to " << plan.frames[static_cast<size_t>(i) - 1] << ") were written\n";
            }
            return -1;
        }
        if (options.progress) {
            err << (options.progressInPlace ? "\r" : "") << "md5tool: frame " << i + 1 << " of " << count
                << (!options.progressInPlace || i + 1 == count ? "\n" : "") << std::flush;
        }
    }
    return coverage;
}

}  // namespace

int Render(const RenderOptions& given, std::ostream& out, std::ostream& err) {
    RenderOptions options = given;
    RenderPlan plan;
    if (!PlanRender(options, &plan, err)) return kBadUsage;
    Drawn drawn;
    if (!Open(options, drawn, err)) return kBadInput;
    // One camera frames every frame: a first pass finds their bounds.
    FrameSource& source = *drawn.source;
    Bounds bounds;
    for (int frame : plan.frames) bounds.Add(source.Draw(frame));
    if (source.SawUnknownFormat()) {
        err << "md5tool: the library drew in a vertex format this device does not know\n";
        return kBadInput;
    }
    const int scale = options.supersample, count = static_cast<int>(plan.frames.size());
    const Camera camera = FrameCamera(bounds, options.yaw, options.pitch, plan.width * scale, plan.height * scale);
    const int step = count > 1 ? std::max(1, std::min(plan.frames[1] - plan.frames[0], 65535)) : 1;
    AnimatedPng animation(static_cast<uint16_t>(step), static_cast<uint16_t>(std::min(drawn.clipRate, 65535)));
    Image sheet(plan.sheet ? static_cast<int>(plan.sheetWidth) : 1, plan.sheet ? static_cast<int>(plan.sheetHeight) : 1,
                {1, 1, 1});
    const double coverage = DrawFrames(options, plan, drawn, camera, sheet, animation, out, err);
    if (coverage < 0) return kBadInput;
    std::string png, error;
    if (plan.sheet && !sheet.EncodePng(&png)) throw std::bad_alloc();
    if (options.apng) png = animation.Finish();
    if (!plan.sequence && !WriteOutput(FrameFileName(options.output, 0), png, out, &error)) {
        err << "md5tool: " << error << "\n";
        return kBadInput;
    }
    char summary[240];
    const char* shape = plan.sheet ? "" : options.apng ? " as an animated PNG" : " as a numbered sequence";
    std::snprintf(summary, sizeof(summary), "%s: %lldx%lld, %d frame%s%s%s, the model covers %.1f%% of the pixels\n",
                  options.output.c_str(), plan.sheet ? plan.sheetWidth : plan.width,
                  plan.sheet ? plan.sheetHeight : plan.height, count, count == 1 ? "" : "s", shape,
                  drawn.posing ? "" : " (as loaded: no clip)", 100.0 * coverage / count);
    // With the picture on standard output, the summary goes with the messages.
    (options.output == "-" ? err : out) << summary;
    return kSuccess;
}

}  // namespace md5tool
