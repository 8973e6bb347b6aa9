// The module's entry points, as embind gives them to JavaScript; brmath.mjs wraps them
// in the documented API.
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include "web_base.h"
#include "web_model.h"

namespace {

using emscripten::val;

// A view of floats in the module's memory, valid until the model poses again or is freed.
val FloatView(const std::vector<float>& values) { return val(emscripten::typed_memory_view(values.size(), values.data())); }

// Bytes copied out of the module's memory into a Uint8Array of their own.
val Bytes(const std::string& bytes) {
    const val view(emscripten::typed_memory_view(bytes.size(), reinterpret_cast<const unsigned char*>(bytes.data())));
    return val::global("Uint8Array").new_(view);
}

// A Uint8Array's bytes copied into the set under `name`.
void AddFile(convert::MemoryFiles& files, const std::string& name, const val& bytes) {
    std::string data(bytes["length"].as<size_t>(), '\0');
    val(emscripten::typed_memory_view(data.size(), reinterpret_cast<unsigned char*>(&data[0]))).call<void>("set", bytes);
    files.Add(name, std::move(data));
}

std::unique_ptr<brmath_web::WebModel> LoadModel(convert::MemoryFiles& files, const std::string& mesh) {
    return std::make_unique<brmath_web::WebModel>(files, mesh);
}

// A Uint8Array's bytes as a string of the module's.
std::string BytesOf(const val& bytes) {
    std::string data(bytes["length"].as<size_t>(), '\0');
    val(emscripten::typed_memory_view(data.size(), reinterpret_cast<unsigned char*>(&data[0]))).call<void>("set", bytes);
    return data;
}

std::unique_ptr<brmath_web::WebModel> LoadBaseModel(brmath_web::WebBase& base, const std::string& name) {
    return std::make_unique<brmath_web::WebModel>(base, name);
}

int AddFolder(brmath_web::WebBase& base, const std::string& where, const val& names) {
    return base.AddFolder(where, emscripten::vecFromJSArray<std::string>(names));
}
std::string ArchivePlace(brmath_web::WebBase& base, const std::string& where, double size, const val& tail) {
    return base.ArchivePlace(where, size, BytesOf(tail));
}
std::string AddArchive(brmath_web::WebBase& base, const std::string& where, double size, const val& tail, const val& directory) {
    return base.AddArchive(where, size, BytesOf(tail), BytesOf(directory));
}
std::string PackPlace(brmath_web::WebBase& base, const std::string& where, double size, const val& header) {
    return base.PackPlace(where, size, BytesOf(header));
}
std::string AddPack(brmath_web::WebBase& base, const std::string& where, double size, const val& header, const val& directory) {
    return base.AddPack(where, size, BytesOf(header), BytesOf(directory));
}
void Supply(brmath_web::WebBase& base, int layer, const std::string& name, const val& bytes) {
    base.Supply(layer, name, BytesOf(bytes));
}

// A base's model's map as {width, height, pixels}, or null.
val MapOf(brmath_web::WebModel& model, int mesh, int which) {
    const convert::RgbaImage* image = model.Map(mesh, which);
    if (image == nullptr) return val::null();
    val result = val::object();
    result.set("width", image->width);
    result.set("height", image->height);
    result.set("pixels", Bytes(std::string(image->pixels.begin(), image->pixels.end())));
    return result;
}

val TangentsOf(brmath_web::WebModel& model) { return FloatView(model.Tangents()); }

val StreamOf(brmath_web::WebModel& model) { return FloatView(model.Stream()); }
val JointsOf(brmath_web::WebModel& model) { return FloatView(model.Joints()); }
val FramesOf(brmath_web::WebModel& model) { return FloatView(model.Frames()); }

val ExportGlb(brmath_web::WebModel& model, int clip, bool clipGiven, double scale, int maxWeights) {
    std::string messages;
    const std::string bytes = model.ExportGlb(clip, clipGiven, scale, maxWeights, &messages);
    val result = val::object();
    result.set("ok", !bytes.empty());
    result.set("bytes", Bytes(bytes));
    result.set("messages", messages);
    return result;
}

val ImportGltf(convert::MemoryFiles& files, const std::string& model, const std::string& name, int skin, int fps,
               double scale) {
    const brmath_web::ImportedFiles imported = brmath_web::ImportGltf(files, model, name, skin, fps, scale);
    val written = val::object();
    for (size_t f = 0; f < imported.names.size(); ++f) written.set(imported.names[f], Bytes(imported.bytes[f]));
    val result = val::object();
    result.set("ok", imported.ok);
    result.set("files", written);
    result.set("messages", imported.messages);
    return result;
}

}  // namespace

EMSCRIPTEN_BINDINGS(brmath) {
    emscripten::class_<convert::MemoryFiles>("FileSet").constructor<>().function("add", &AddFile);
    emscripten::class_<brmath_web::WebBase>("WebBase")
        .constructor<>()
        .function("addFolder", &AddFolder)
        .function("archivePlace", &ArchivePlace)
        .function("addArchive", &AddArchive)
        .function("packPlace", &PackPlace)
        .function("addPack", &AddPack)
        .function("supply", &Supply)
        .function("refuse", &brmath_web::WebBase::Refuse)
        .function("wanted", &brmath_web::WebBase::Wanted)
        .function("declarationFiles", &brmath_web::WebBase::DeclarationFiles)
        .function("models", &brmath_web::WebBase::Models)
        .function("prepare", &brmath_web::WebBase::Prepare)
        .function("messages", &brmath_web::WebBase::MessagesJson);
    emscripten::class_<brmath_web::WebModel>("WebModel")
        .constructor(&LoadModel)
        .function("ok", &brmath_web::WebModel::Ok)
        .function("messages", &brmath_web::WebModel::MessagesJson)
        .function("description", &brmath_web::WebModel::DescriptionJson)
        .function("targetMessages", &brmath_web::WebModel::TargetMessagesJson)
        .function("pose", &brmath_web::WebModel::Pose)
        .function("usePlainPath", &brmath_web::WebModel::UsePlainPath)
        .function("reload", &brmath_web::WebModel::Reload)
        .function("stream", &StreamOf)
        .function("joints", &JointsOf)
        .function("frames", &FramesOf)
        .function("tangents", &TangentsOf)
        .function("map", &MapOf)
        .function("exportGlb", &ExportGlb);
    emscripten::function("importGltf", &ImportGltf);
    emscripten::function("loadBaseModel", &LoadBaseModel);
}
