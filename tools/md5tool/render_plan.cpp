#include "render_plan.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <set>

#include "wording.h"

namespace md5tool {

using convert::Counted;

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

}  // namespace

std::string FrameFileName(const std::string& pattern, int frame) {
    const int length = std::snprintf(nullptr, 0, pattern.c_str(), frame);
    std::vector<char> name(static_cast<size_t>(std::max(length, 0)) + 1);
    std::snprintf(name.data(), name.size(), pattern.c_str(), frame);
    return name.data();
}

namespace {

// The picture's size, the camera's angles and the frames.
bool PlanPictures(const RenderOptions& options, RenderPlan* plan, std::ostream& err) {
    if (!ParseSize(options.size, &plan->width, &plan->height)) {
        err << "md5tool: --size wants WIDTHxHEIGHT between 16 and 8192, such as 640x480, not \"" << options.size
            << "\"\n";
        return false;
    }
    if (!std::isfinite(options.yaw) || std::fabs(options.yaw) > 360.0f) {
        err << "md5tool: --yaw wants degrees from -360 to 360\n";
        return false;
    }
    if (!std::isfinite(options.pitch) || std::fabs(options.pitch) > 89.0f) {
        err << "md5tool: --pitch wants degrees from -89 to 89\n";
        return false;
    }
    if (options.frames.empty()) {
        plan->frames.push_back(options.frame);
    } else if (!ParseFrames(options.frames, &plan->frames)) {
        err << "md5tool: --frames wants A:B or A:B:STEP with A < B and STEP > 0 (at most " << kMaxFrames
            << " frames), not \"" << options.frames << "\"\n";
        return false;
    }
    return true;
}

// One file, a file a frame or an animated PNG, as the output's name and --apng say.
bool PlanOutput(const RenderOptions& options, RenderPlan* plan, std::ostream& err) {
    bool validName = true;
    plan->sequence = HasFrameField(options.output, &validName);
    if (!validName) {
        err << "md5tool: an output name may hold one frame-number field such as %d or %04d, at most " << kMaxFieldWidth
            << " digits wide (and %% for %), not \"" << options.output << "\"\n";
        return false;
    }
    std::set<std::string> names;
    for (int frame : plan->sequence ? plan->frames : std::vector<int>()) names.insert(FrameFileName(options.output, frame));
    if (names.size() != (plan->sequence ? plan->frames.size() : 0)) {
        err << "md5tool: the frames' names from \"" << options.output << "\" would not all differ\n";
        return false;
    }
    if (plan->sequence && options.apng) {
        err << "md5tool: --apng writes one file: give a name without a %d field\n";
        return false;
    }
    plan->sheet = !plan->sequence && !options.apng;
    return true;
}

// The sheet's columns and rows; the memory a picture takes is known before anything is drawn.
bool PlanSheet(const RenderOptions& options, RenderPlan* plan, std::ostream& err) {
    const int count = static_cast<int>(plan->frames.size());
    const bool sheet = plan->sheet;
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
    plan->columns = columns;
    plan->rows = sheet ? (count + columns - 1) / columns : 1;
    plan->gap = sheet && count > 1 ? 4 : 0;
    const int width = plan->width, height = plan->height, scale = options.supersample;
    plan->sheetWidth = static_cast<long long>(columns) * width + (columns - 1) * plan->gap;
    plan->sheetHeight = static_cast<long long>(plan->rows) * height + (plan->rows - 1) * plan->gap;
    const long long drawnPixels = static_cast<long long>(width) * scale * height * scale;
    const long long pixels = std::max(drawnPixels, plan->sheetWidth * plan->sheetHeight);
    if (pixels <= options.maxPixels) return true;
    err << "md5tool: the picture needs " << pixels << " pixels (" << plan->sheetWidth << "x" << plan->sheetHeight
        << ", each frame drawn at " << width * scale << "x" << height * scale << "), more than --max-pixels "
        << options.maxPixels << "; use a smaller --size, --supersample or --frames, a numbered sequence (-o "
           "name-%04d.png) or --apng, or raise --max-pixels\n";
    return false;
}

}  // namespace

bool PlanRender(const RenderOptions& options, RenderPlan* plan, std::ostream& err) {
    return PlanPictures(options, plan, err) && PlanOutput(options, plan, err) && PlanSheet(options, plan, err);
}

}  // namespace md5tool
