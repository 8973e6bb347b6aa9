// tinygltf's code, compiled once for every file that includes its header.
#define TINYGLTF_IMPLEMENTATION
#include "tinygltf_settings.h"
