#pragma once

// tinygltf as md5tool uses it: no image decoding or encoding (md5tool reads and writes
// images itself, or not at all), and the nlohmann-json md5tool includes itself.
#include <nlohmann/json.hpp>

#define TINYGLTF_NO_STB_IMAGE
#define TINYGLTF_NO_STB_IMAGE_WRITE
#define TINYGLTF_NO_EXTERNAL_IMAGE
#define TINYGLTF_NO_INCLUDE_JSON
#if defined(TINYGLTF_IMPLEMENTATION) && defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#endif
#include <tiny_gltf.h>
#if defined(TINYGLTF_IMPLEMENTATION) && defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
