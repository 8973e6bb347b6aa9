#pragma once

#include <vector>

#include "camera.h"
#include "image.h"
#include "software_device.h"
#include "surface_maps.h"

namespace md5tool {

using convert::StreamTriangle;

// Rasterizes the triangles with a depth buffer, two-sided lighting from the library's
// normals, a checker pattern from the texture coordinates, a colour per mesh and a soft
// ground shadow, over a light background. Returns the share of pixels the model covers.
//
// With `maps` (one a mesh), each mesh is lit as a game lights it instead: its diffuse
// image for the colour, its normal map in the tangent frames the triangles carry (red
// along texture s, green along t, which runs down the image), and its specular image
// for the highlight.
double Rasterize(const std::vector<StreamTriangle>& triangles, const Camera& camera, Image& image,
                 const std::vector<convert::SurfaceMaps>* maps = nullptr);

}  // namespace md5tool
