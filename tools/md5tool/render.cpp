// Drawing a model with the calls the exports make (load, choose a clip, pose, draw),
// with the software device standing in for Direct3D: one picture, a contact sheet, a
// numbered sequence of pictures or an animated PNG.
#include <algorithm>
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
#include "software_device.h"
#include "wording.h"

namespace md5tool {

using convert::Counted;
using convert::GltfScene;
using convert::IsGltfPath;
using convert::SoftwareDevice;

namespace {

constexpr int kMaxFrames = 100000;

// The integers of `text` between `separator`s, each whole and within int's range; false
// for anything else (an empty part, a sign alone, digits past the range).
bool ParseIntegers(const std::string& text, char separator, std::vector<int>* values) {
    size_t start = 0;
    while (true) {
        const size_t end = std::min(text.find(separator, start), text.size());
        int value = 0;
        const char* first = text.data() + start;
        const char* last = text.data() + end;
        const auto [stop, problem] = std::from_chars(first, last, value);
        if (first == last || problem != std::errc() || stop != last) return false;
        values->push_back(value);
        if (end == text.size()) return true;
        start = end + 1;
    }
}

bool ParseSize(const std::string& text, int* width, int* height) {
    std::vector<int> sides;
    if (!ParseIntegers(text, 'x', &sides) || sides.size() != 2) return false;
    *width = sides[0];
    *height = sides[1];
    return *width >= 16 && *height >= 16 && *width <= 8192 && *height <= 8192;
}

// "A:B:STEP" or "A:B": frames from A up to B, B excluded.
bool ParseFrames(const std::string& text, std::vector<int>* frames) {
    std::vector<int> parts;
    if (!ParseIntegers(text, ':', &parts) || parts.size() < 2 || parts.size() > 3) return false;
    const int first = parts[0], end = parts[1], step = parts.size() == 3 ? parts[2] : 1;
    if (step <= 0 || end <= first || (static_cast<long long>(end) - first - 1) / step >= kMaxFrames) return false;
    for (long long f = first; f < end; f += step) frames->push_back(static_cast<int>(f));
    return true;
}

// The widest frame-number field an output name may hold: an int needs at most 11
// characters, and more only pads.
constexpr int kMaxFieldWidth = 16;

// An output name with one printf-style integer field ("walk-%04d.png") names a
// sequence of pictures; "%%" stands for "%". Returns whether it has a field; sets
// `valid` false for any other use of "%", or a field wider than kMaxFieldWidth.
bool HasFrameField(const std::string& name, bool* valid) {
    int fields = 0;
    *valid = true;
    for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] != '%') continue;
        if (i + 1 < name.size() && name[i + 1] == '%') {
            ++i;
            continue;
        }
        size_t j = i + 1;
        if (j < name.size() && name[j] == '0') ++j;
        int width = 0;
        while (j < name.size() && width <= kMaxFieldWidth && name[j] >= '0' && name[j] <= '9') width = 10 * width + (name[j++] - '0');
        if (j >= name.size() || name[j] != 'd' || width > kMaxFieldWidth) *valid = false;
        ++fields;
        i = j;
    }
    if (fields > 1) *valid = false;
    return fields == 1;
}

// The file name of a frame: the pattern with its field filled in and "%%" as "%", at
// whatever length that takes (a pattern without a field gives its "%%" as "%").
std::string FrameFileName(const std::string& pattern, int frame) {
    const int length = std::snprintf(nullptr, 0, pattern.c_str(), frame);
    std::vector<char> name(static_cast<size_t>(std::max(length, 0)) + 1);
    std::snprintf(name.data(), name.size(), pattern.c_str(), frame);
    return name.data();
}


// Everything a picture needs: the actor posed at each frame in turn, drawn by the
// software device.
class FrameSource {
public:
    FrameSource(brmath::Actor& actor, bool posing) : actor_(actor), posing_(posing) {}
    virtual ~FrameSource() = default;
    virtual std::vector<StreamTriangle> Draw(int frame) {
        if (posing_) actor_.ProceedAnimation(frame);
        SoftwareDevice device;
        actor_.Render(device.Device());
        unknownFormat_ = unknownFormat_ || device.sawUnknownFormat;
        // The library draws the meshes in order, each triangle in order: the model
        // says which mesh each triangle belongs to.
        size_t next = 0;
        for (int m = 0; m < actor_.meshCount; ++m) {
            for (int t = 0; t < actor_.meshes[m].triangleCount && next < device.triangles.size(); ++t) {
                device.triangles[next++].mesh = m;
            }
        }
        return std::move(device.triangles);
    }
    bool SawUnknownFormat() const { return unknownFormat_; }

private:
    brmath::Actor& actor_;
    bool posing_;
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

}  // namespace

int Render(const RenderOptions& options, std::ostream& out, std::ostream& err) {
    int width = 0, height = 0;
    if (!ParseSize(options.size, &width, &height)) {
        err << "md5tool: --size wants WIDTHxHEIGHT between 16 and 8192, such as 640x480, not \"" << options.size
            << "\"\n";
        return kBadUsage;
    }
    if (!std::isfinite(options.yaw) || std::fabs(options.yaw) > 360.0f) {
        err << "md5tool: --yaw wants degrees from -360 to 360\n";
        return kBadUsage;
    }
    if (!std::isfinite(options.pitch) || std::fabs(options.pitch) > 89.0f) {
        err << "md5tool: --pitch wants degrees from -89 to 89\n";
        return kBadUsage;
    }
    std::vector<int> frames;
    if (options.frames.empty()) {
        frames.push_back(options.frame);
    } else if (!ParseFrames(options.frames, &frames)) {
        err << "md5tool: --frames wants A:B or A:B:STEP with A < B and STEP > 0 (at most " << kMaxFrames
            << " frames), not \"" << options.frames << "\"\n";
        return kBadUsage;
    }
    bool validName = true;
    const bool sequence = HasFrameField(options.output, &validName);
    if (!validName) {
        err << "md5tool: an output name may hold one frame-number field such as %d or %04d, at most " << kMaxFieldWidth
            << " digits wide (and %% for %), not \"" << options.output << "\"\n";
        return kBadUsage;
    }
    std::set<std::string> names;
    for (int frame : sequence ? frames : std::vector<int>()) names.insert(FrameFileName(options.output, frame));
    if (names.size() != (sequence ? frames.size() : 0)) {
        err << "md5tool: the frames' names from \"" << options.output << "\" would not all differ\n";
        return kBadUsage;
    }
    if (sequence && options.apng) {
        err << "md5tool: --apng writes one file: give a name without a %d field\n";
        return kBadUsage;
    }
    const bool sheet = !sequence && !options.apng;

    // The memory a picture takes is known before anything is drawn.
    const int count = static_cast<int>(frames.size());
    const int scale = options.supersample;
    if (options.columns > 0 && (!sheet || count == 1)) {
        err << "md5tool: warning: --columns shapes a contact sheet: it has no effect on "
            << (sheet ? "one frame" : options.apng ? "an animated PNG" : "a numbered sequence") << "\n";
    } else if (options.columns > count) {
        err << "md5tool: warning: --columns " << options.columns << " with " << Counted(count, "frame", "frames")
            << ": the sheet has " << Counted(count, "column", "columns") << "\n";
    }
    int columns = options.columns > 0 ? std::min(options.columns, count)
                  : count <= 4        ? count
                  : count <= 16       ? 4
                                      : static_cast<int>(std::ceil(std::sqrt(count)));
    if (!sheet) columns = 1;
    const int rows = sheet ? (count + columns - 1) / columns : 1;
    const int gap = sheet && count > 1 ? 4 : 0;
    const long long sheetWidth = static_cast<long long>(columns) * width + (columns - 1) * gap;
    const long long sheetHeight = static_cast<long long>(rows) * height + (rows - 1) * gap;
    const long long drawnPixels = static_cast<long long>(width) * scale * height * scale;
    const long long pixels = std::max(drawnPixels, sheetWidth * sheetHeight);
    if (pixels > options.maxPixels) {
        err << "md5tool: the picture needs " << pixels << " pixels (" << sheetWidth << "x" << sheetHeight
            << ", each frame drawn at " << width * scale << "x" << height * scale << "), more than --max-pixels "
            << options.maxPixels << "; use a smaller --size, --supersample or --frames, a numbered sequence (-o "
               "name-%04d.png) or --apng, or raise --max-pixels\n";
        return kBadUsage;
    }

    DiskFiles files;
    convert::LoadedModel model;
    brmath::Actor noActor;
    GltfScene scene;
    bool posing = false;
    int clipRate = 24;
    if (IsGltfPath(options.mesh)) {
        std::string error;
        if (!scene.Load(files, options.mesh, &error)) {
            err << options.mesh << ": error: " << error << "\n";
            return kBadInput;
        }
        posing = options.clip >= 0 && options.clip < scene.AnimationCount();
        if (!posing && options.clipGiven) {
            err << NoClipMessage(options.mesh, options.clip, scene.AnimationCount()) << "\n";
            return kBadInput;
        }
    } else {
        model = LoadForCommand(files, options.mesh, err);
        if (!model.loaded) return kBadInput;
        brmath::Actor& actor = *model.actor;
        posing = actor.SetAnimation(options.clip);
        if (!posing && options.clipGiven) {
            err << NoClipMessage(options.mesh, options.clip, actor.animationCount) << "\n";
            return kBadInput;
        }
        if (posing && actor.animations[options.clip].frameRate > 0) clipRate = actor.animations[options.clip].frameRate;
    }

    brmath::Actor& actor = model.actor != nullptr ? *model.actor : noActor;
    // One camera frames every frame: a first pass finds their bounds.
    FrameSource actorSource(actor, posing);
    GltfFrameSource gltfSource(actor, scene, options.clip);
    FrameSource& source = IsGltfPath(options.mesh) ? static_cast<FrameSource&>(gltfSource) : actorSource;
    Bounds bounds;
    for (int frame : frames) bounds.Add(source.Draw(frame));
    if (source.SawUnknownFormat()) {
        err << "md5tool: the library drew in a vertex format this device does not know\n";
        return kBadInput;
    }
    const Camera camera = FrameCamera(bounds, options.yaw, options.pitch, width * scale, height * scale);

    const int delayRate = std::min(clipRate, 65535);
    const int step = frames.size() > 1 ? std::max(1, std::min(frames[1] - frames[0], 65535)) : 1;
    AnimatedPng animation(static_cast<uint16_t>(step), static_cast<uint16_t>(delayRate));
    Image sheetImage(sheet ? static_cast<int>(sheetWidth) : 1, sheet ? static_cast<int>(sheetHeight) : 1, {1, 1, 1});
    double coverage = 0;
    std::string error, png;
    for (int i = 0; i < count; ++i) {
        const int frame = frames[static_cast<size_t>(i)];
        Image large(width * scale, height * scale);
        coverage += Rasterize(source.Draw(frame), camera, large);
        Image cell = large.Downsample(scale);
        if (sheet && count > 1) DrawLabel(cell, std::to_string(frame), 8, 8, 2, {0.2f, 0.22f, 0.26f});
        if (sheet) {
            sheetImage.Paste(cell, (i % columns) * (width + gap), (i / columns) * (height + gap));
        } else if (!cell.EncodePng(&png)) {
            throw std::bad_alloc();
        } else if (options.apng) {
            animation.AddFrame(png);
        } else if (!WriteOutput(FrameFileName(options.output, frame), png, out, &error)) {
            err << "md5tool: " << error << "\n";
            if (i > 0) {
                err << "md5tool: the " << i << " frame" << (i == 1 ? "" : "s") << " before it (" << frames[0] << " to "
                    << frames[static_cast<size_t>(i) - 1] << ") were written\n";
            }
            return kBadInput;
        }
        if (options.progress) {
            err << (options.progressInPlace ? "\r" : "") << "md5tool: frame " << i + 1 << " of " << count
                << (!options.progressInPlace || i + 1 == count ? "\n" : "") << std::flush;
        }
    }
    if (sheet && !sheetImage.EncodePng(&png)) throw std::bad_alloc();
    if (options.apng) png = animation.Finish();
    if (!sequence && !WriteOutput(FrameFileName(options.output, 0), png, out, &error)) {
        err << "md5tool: " << error << "\n";
        return kBadInput;
    }
    char summary[240];
    const char* shape = sheet ? "" : options.apng ? " as an animated PNG" : " as a numbered sequence";
    std::snprintf(summary, sizeof(summary), "%s: %lldx%lld, %d frame%s%s%s, the model covers %.1f%% of the pixels\n",
                  options.output.c_str(), sheet ? sheetWidth : width, sheet ? sheetHeight : height, count,
                  count == 1 ? "" : "s", shape, posing ? "" : " (as loaded: no clip)", 100.0 * coverage / count);
    // With the picture on standard output, the summary goes with the messages.
    (options.output == "-" ? err : out) << summary;
    return kSuccess;
}

}  // namespace md5tool
