// Drawing a model the way a host does: through the seven exports, with the software
// device standing in for Direct3D.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "brmath/brmath.h"
#include "commands.h"
#include "image.h"
#include "software_device.h"

namespace md5tool {

namespace {

bool ParseSize(const std::string& text, int* width, int* height) {
    char extra = 0;
    return std::sscanf(text.c_str(), "%dx%d%c", width, height, &extra) == 2 && *width >= 16 && *height >= 16 &&
           *width <= 8192 && *height <= 8192;
}

// "A:B:STEP" or "A:B": frames from A up to B, B excluded.
bool ParseFrames(const std::string& text, std::vector<int>* frames) {
    int first = 0, end = 0, step = 1;
    char extra = 0;
    const int read = std::sscanf(text.c_str(), "%d:%d:%d%c", &first, &end, &step, &extra);
    if (read != 2 && read != 3) return false;
    if (step <= 0 || end <= first || (static_cast<long long>(end) - first) / step > 1024) return false;
    for (long long f = first; f < end; f += step) frames->push_back(static_cast<int>(f));
    return true;
}

// One actor slot for the whole process: the table hands out only 32.
int Slot() {
    static const int slot = MD5_AddActor();
    return slot;
}

}  // namespace

int Render(const RenderOptions& options, std::ostream& out, std::ostream& err) {
    int width = 0, height = 0;
    if (!ParseSize(options.size, &width, &height)) {
        err << "md5tool: --size wants WIDTHxHEIGHT between 16 and 8192, such as 640x480, not \"" << options.size
            << "\"\n";
        return kBadUsage;
    }
    std::vector<int> frames;
    if (options.frames.empty()) {
        frames.push_back(options.frame);
    } else if (!ParseFrames(options.frames, &frames)) {
        err << "md5tool: --frames wants A:B or A:B:STEP with A < B and STEP > 0 (at most 1024 frames), not \""
            << options.frames << "\"\n";
        return kBadUsage;
    }

    const int slot = Slot();
    if (slot < 0 || MD5_LoadActor(slot, options.mesh.c_str()) != 1) {
        err << "md5tool: cannot load " << DescribeLoadFailure(options.mesh) << "\n";
        return kBadInput;
    }
    const bool posing = MD5_SetAnimation(slot, options.clip);
    if (!posing && options.clipGiven) {
        err << "md5tool: " << options.mesh << " has no clip " << options.clip << "\n";
        return kBadInput;
    }

    // Draw every frame first, so that one camera frames them all.
    std::vector<std::vector<StreamTriangle>> drawn;
    Bounds bounds;
    for (int frame : frames) {
        if (posing) MD5_ProceedAnimation(slot, frame);
        SoftwareDevice device;
        MD5_RenderActor(slot, device.Device());
        if (device.sawUnknownFormat) {
            err << "md5tool: the library drew in a vertex format this device does not know\n";
            return kBadInput;
        }
        bounds.Add(device.triangles);
        drawn.push_back(std::move(device.triangles));
    }

    const int scale = options.supersample;
    const Camera camera = FrameCamera(bounds, options.yaw, options.pitch, width * scale, height * scale);
    const int count = static_cast<int>(frames.size());
    const int columns = count <= 4 ? count : count <= 16 ? 4 : static_cast<int>(std::ceil(std::sqrt(count)));
    const int rows = (count + columns - 1) / columns;
    const int gap = count > 1 ? 4 : 0;
    Image sheet(columns * width + (columns - 1) * gap, rows * height + (rows - 1) * gap, {1, 1, 1});
    double coverage = 0;
    for (int i = 0; i < count; ++i) {
        Image large(width * scale, height * scale);
        coverage += Rasterize(drawn[static_cast<size_t>(i)], camera, large);
        Image cell = large.Downsample(scale);
        if (count > 1) DrawLabel(cell, std::to_string(frames[static_cast<size_t>(i)]), 8, 8, 2, {0.2f, 0.22f, 0.26f});
        sheet.Paste(cell, (i % columns) * (width + gap), (i / columns) * (height + gap));
    }
    std::string error;
    if (!sheet.WritePng(options.output, &error)) {
        err << "md5tool: " << error << "\n";
        return kBadInput;
    }
    char summary[200];
    std::snprintf(summary, sizeof(summary), "%s: %dx%d, %d frame%s%s, the model covers %.1f%% of the pixels\n",
                  options.output.c_str(), sheet.Width(), sheet.Height(), count, count == 1 ? "" : "s",
                  posing ? "" : " (as loaded: no clip)", 100.0 * coverage / count);
    out << summary;
    return kSuccess;
}

}  // namespace md5tool
