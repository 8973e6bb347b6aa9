#pragma once

// tinygltf as the conversions use it: no image decoding or encoding (they read and
// write images themselves, or not at all), and the nlohmann-json they include themselves.
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
