// The module's entry points, as embind gives them to JavaScript; brmath.mjs wraps them
// in the documented API.
#include <emscripten/bind.h>
#include <emscripten/val.h>
#include <sys/stat.h>

#include "web_model.h"

namespace {

using emscripten::val;

// This Emscripten's file system starts with a umask of 0777, which makes every file
// md5tool writes (import's scratch files, read back by the library) unreadable.
const mode_t kUmask = umask(022);

// A view of floats in the module's memory, valid until the model poses again or is freed.
val FloatView(const std::vector<float>& values) { return val(emscripten::typed_memory_view(values.size(), values.data())); }

val Strings(const std::vector<std::string>& lines) {
    val array = val::array();
    for (const std::string& line : lines) array.call<void>("push", line);
    return array;
}

// Bytes copied out of the module's memory into a Uint8Array of their own.
val Bytes(const std::string& bytes) {
    const val view(emscripten::typed_memory_view(bytes.size(), reinterpret_cast<const unsigned char*>(bytes.data())));
    return val::global("Uint8Array").new_(view);
}

val Messages(const brmath_web::WebModel& model) { return Strings(model.Messages()); }
val StreamOf(brmath_web::WebModel& model) { return FloatView(model.Stream()); }
val JointsOf(brmath_web::WebModel& model) { return FloatView(model.Joints()); }
val FramesOf(brmath_web::WebModel& model) { return FloatView(model.Frames()); }

val ExportGlb(brmath_web::WebModel& model, int clip, bool clipGiven, double scale, int maxWeights) {
    std::vector<std::string> messages;
    const std::string bytes = model.ExportGlb(clip, clipGiven, scale, maxWeights, &messages);
    val result = val::object();
    result.set("ok", !bytes.empty());
    result.set("bytes", Bytes(bytes));
    result.set("messages", Strings(messages));
    return result;
}

val ImportGltf(const std::string& folder, const std::string& model, const std::string& name, int skin, int fps,
               double scale) {
    const brmath_web::ImportedFiles imported = brmath_web::ImportGltf(folder, model, name, skin, fps, scale);
    val files = val::object();
    for (size_t f = 0; f < imported.names.size(); ++f) files.set(imported.names[f], Bytes(imported.bytes[f]));
    val result = val::object();
    result.set("ok", imported.ok);
    result.set("files", files);
    result.set("messages", Strings(imported.messages));
    return result;
}

}  // namespace

EMSCRIPTEN_BINDINGS(brmath) {
    emscripten::class_<brmath_web::WebModel>("WebModel")
        .constructor<std::string, std::string>()
        .function("ok", &brmath_web::WebModel::Ok)
        .function("error", &brmath_web::WebModel::Error)
        .function("messages", &Messages)
        .function("description", &brmath_web::WebModel::DescriptionJson)
        .function("pose", &brmath_web::WebModel::Pose)
        .function("usePlainPath", &brmath_web::WebModel::UsePlainPath)
        .function("reload", &brmath_web::WebModel::Reload)
        .function("stream", &StreamOf)
        .function("joints", &JointsOf)
        .function("frames", &FramesOf)
        .function("exportGlb", &ExportGlb);
    emscripten::function("importGltf", &ImportGltf);
}
