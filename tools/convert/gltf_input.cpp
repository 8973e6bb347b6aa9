#include "gltf_input.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <exception>
#include <filesystem>
#include <system_error>

#include "tinygltf_settings.h"

namespace convert {

namespace {

namespace fs = std::filesystem;

// Larger files are refused: tinygltf counts bytes in 32 bits.
constexpr size_t kMaxGltfBytes = 0x7fffffff;

uint32_t Word(const unsigned char* bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

bool Fail(std::string* error, const std::string& reason) {
    *error = reason;
    return false;
}

// The GLB header and its chunks, each with its 8-byte header, lie within the file: a
// JSON chunk first and, if a second follows, a BIN chunk.
bool CheckGlbContainer(const unsigned char* bytes, size_t size, std::string* error) {
    if (size < 20) return Fail(error, "a GLB file of " + std::to_string(size) + " bytes is too short for its header");
    if (Word(bytes + 4) != 2) return Fail(error, "GLB version " + std::to_string(Word(bytes + 4)) + ", not 2");
    if (Word(bytes + 8) != size) {
        return Fail(error, "the GLB header gives a length of " + std::to_string(Word(bytes + 8)) + " bytes; the file has " +
                               std::to_string(size));
    }
    size_t at = 12;
    for (int chunk = 0; at < size; ++chunk) {
        if (size - at < 8) return Fail(error, "a GLB chunk header at byte " + std::to_string(at) + " runs past the file");
        const uint64_t length = Word(bytes + at);
        const uint32_t type = Word(bytes + at + 4);
        if (length > size - at - 8) {
            return Fail(error, "GLB chunk " + std::to_string(chunk) + " claims " + std::to_string(length) +
                                   " bytes; the file holds " + std::to_string(size - at - 8) + " after its header");
        }
        if (chunk == 0 && type != 0x4E4F534A) return Fail(error, "the first GLB chunk is not JSON");
        if (chunk == 1 && type != 0x004E4942) return Fail(error, "the second GLB chunk is not BIN");
        at += 8 + static_cast<size_t>(length);
    }
    return true;
}

// Arrays and objects nested at most kMaxJsonDepth deep, so that parsing cannot exhaust
// the stack.
bool CheckJsonDepth(const unsigned char* text, size_t size, std::string* error) {
    int depth = 0;
    bool inString = false;
    for (size_t i = 0; i < size; ++i) {
        const unsigned char c = text[i];
        if (inString) {
            if (c == '\\') {
                ++i;
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > kMaxJsonDepth) {
                return Fail(error, "JSON nested more than " + std::to_string(kMaxJsonDepth) + " levels deep");
            }
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return true;
}

// tinygltf's file-system callbacks: it asks for `folder/URI` (percent-decoded) and for
// `./URI`; only a relative URI naming a regular file inside the glTF's folder exists.
struct Folder {
    FileSet* files;       // null: no buffer files
    std::string path;     // as tinygltf joins it, and "" for none
    std::string refused;  // why the last buffer file was refused, for tinygltf's "File not found"
};

std::string SameName(const std::string& path, void*) { return path; }

// The bytes of a buffer file inside the folder, or null.
const std::string* InsideFolder(const std::string& path, Folder& folder) {
    if (folder.files == nullptr || folder.path.empty()) return nullptr;
    const std::string prefix = folder.path.back() == '/' ? folder.path : folder.path + "/";
    if (path.size() <= prefix.size() || path.compare(0, prefix.size(), prefix) != 0) return nullptr;
    const auto refuse = [&](const std::string& why) -> const std::string* {
        folder.refused = path.substr(prefix.size()) + ": " + why;
        return nullptr;
    };
    const fs::path relative = fs::u8path(path.substr(prefix.size()));
    if (relative.is_absolute() || relative.has_root_name() || relative.has_root_directory()) {
        return refuse("an absolute path; buffer files are read from the glTF's folder only");
    }
    for (const fs::path& part : relative) {
        if (part == "..") return refuse("it leads out of the glTF's folder (..)");
    }
    std::string why;
    const std::string* bytes = folder.files->Bytes(path, &why);
    if (bytes == nullptr && why == kNotRegular) return refuse(why + " (a folder, pipe or device)");
    if (bytes == nullptr) return why.empty() ? nullptr : refuse(why);
    // A symbolic link may not lead out of the folder either.
    if (!folder.files->StaysInside(folder.path, path)) return refuse("a symbolic link that leads out of the glTF's folder");
    return bytes;
}

bool ExistsInside(const std::string& path, void* context) {
    return InsideFolder(path, *static_cast<Folder*>(context)) != nullptr;
}

bool ReadInside(std::vector<unsigned char>* out, std::string* error, const std::string& path, void* context) {
    const std::string* bytes = InsideFolder(path, *static_cast<Folder*>(context));
    if (bytes == nullptr) {
        *error = "not a regular file inside the glTF's folder";
        return false;
    }
    out->assign(bytes->begin(), bytes->end());
    return true;
}

bool WriteNothing(std::string* error, const std::string&, const std::vector<unsigned char>&, void*) {
    *error = "writing is not allowed";
    return false;
}

// Images are not drawn: embedded ones are skipped without decoding.
bool SkipImage(tinygltf::Image*, const int, std::string*, std::string*, int, int, const unsigned char*, int, void*) {
    return true;
}

}  // namespace

bool IsGltfPath(const std::string& path) {
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos) return false;
    std::string extension = path.substr(dot + 1);
    for (char& c : extension) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return extension == "glb" || extension == "gltf";
}

bool ReadGltfBytes(const unsigned char* bytes, size_t size, FileSet* files, const std::string& folder,
                   tinygltf::Model* model, std::string* error) {
    if (size > kMaxGltfBytes) return Fail(error, "a glTF file of more than 2 GiB is not read");
    const bool binary = size >= 4 && std::memcmp(bytes, "glTF", 4) == 0;
    if (binary && !CheckGlbContainer(bytes, size, error)) return false;
    const unsigned char* json = binary ? bytes + 20 : bytes;
    const size_t jsonSize = binary ? Word(bytes + 12) : size;
    if (!CheckJsonDepth(json, jsonSize, error)) return false;

    Folder context{files, folder, ""};
    tinygltf::FsCallbacks callbacks{&ExistsInside, &SameName, &ReadInside, &WriteNothing, &context};
    tinygltf::TinyGLTF loader;
    loader.SetFsCallbacks(callbacks);
    loader.SetImageLoader(&SkipImage, nullptr);
    std::string warning;
    error->clear();
    bool read = false;
    try {
        read = binary ? loader.LoadBinaryFromMemory(model, error, &warning, bytes, static_cast<unsigned>(size), folder)
                      : loader.LoadASCIIFromString(model, error, &warning, reinterpret_cast<const char*>(bytes),
                                                   static_cast<unsigned>(size), folder);
    } catch (const std::exception& e) {
        return Fail(error, std::string("tinygltf: ") + e.what());
    }
    if (!read && error->empty()) *error = "tinygltf could not read it";
    while (!error->empty() && error->back() == '\n') error->pop_back();
    if (!read && !context.refused.empty() && error->find("File not found") != std::string::npos) {
        *error = "a buffer file is refused: " + context.refused;
    }
    return read;
}

bool ReadGltfFile(FileSet& files, const std::string& path, tinygltf::Model* model, std::string* error) {
    std::string refused;
    const std::string* bytes = files.Bytes(path, &refused);
    if (bytes == nullptr) return Fail(error, refused.empty() ? "no such file" : refused);
    const size_t slash = path.find_last_of("/\\");
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
    return ReadGltfBytes(reinterpret_cast<const unsigned char*>(bytes->data()), bytes->size(), &files, folder, model,
                         error);
}

}  // namespace convert
