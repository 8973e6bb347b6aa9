#pragma once

#include <vector>

#include "camera.h"
#include "image.h"
#include "software_device.h"

namespace md5tool {

using convert::StreamTriangle;

// Rasterizes the triangles with a depth buffer, two-sided lighting from the library's
// normals, a checker pattern from the texture coordinates, a colour per mesh and a soft
// ground shadow, over a light background. Returns the share of pixels the model covers.
double Rasterize(const std::vector<StreamTriangle>& triangles, const Camera& camera, Image& image);

}  // namespace md5tool
