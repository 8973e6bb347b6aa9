#pragma once

#include <cstdint>
#include <vector>

#if defined(_WIN32)
#include <d3d8.h>
#else
#include "brmath/d3d8_standin.h"
#endif
#include "image.h"

namespace md5tool {

// The 32-byte vertex the library hands to a device.
struct StreamVertex {
    float position[3];
    float normal[3];
    float texCoord[2];
};

struct StreamTriangle {
    StreamVertex corners[3];
    int draw;  // which draw call brought it: the mesh, for the sample's colours
};

// One call the device received, in order.
struct DeviceCall {
    bool draw;                    // DrawPrimitiveUP, else SetVertexShader
    uint32_t handle = 0;          // SetVertexShader's argument
    int primitiveType = 0;
    uint32_t primitiveCount = 0;
    uint32_t stride = 0;
    size_t firstTriangle = 0;     // where its triangles start in `triangles`
};

struct Vec3 {
    float x, y, z;
};

// A device for hosts without Direct3D: it keeps every triangle it is asked to draw,
// so that they can be framed and rasterized afterwards.
class SoftwareDevice {
public:
    SoftwareDevice();
    SoftwareDevice(const SoftwareDevice&) = delete;
    SoftwareDevice& operator=(const SoftwareDevice&) = delete;

    IDirect3DDevice8* Device() { return reinterpret_cast<IDirect3DDevice8*>(&object_); }
    std::vector<StreamTriangle> triangles;
    std::vector<DeviceCall> calls;
    int draws = 0;
    uint32_t lastDrawCount = 0;
    uint32_t vertexShader = 0;
    bool sawUnknownFormat = false;

    // Shaped as a COM object: the method table first, then the owner.
    struct Object {
        const void* methods;
        SoftwareDevice* owner;
    };

private:
    Object object_;
};

struct Bounds {
    Vec3 min{1e30f, 1e30f, 1e30f};
    Vec3 max{-1e30f, -1e30f, -1e30f};
    void Add(const std::vector<StreamTriangle>& triangles);
    bool Empty() const { return min.x > max.x; }
};

// A perspective camera looking at the middle of `bounds` from `yaw` degrees around the
// vertical axis and `pitch` degrees above, far enough for all of it to fit.
struct Camera {
    Vec3 eye, right, up, forward;
    float focal = 1;  // in pixels
    float groundHeight = 0;
    Vec3 groundCenter{0, 0, 0};
    float groundRadius = 1;
};
Camera FrameCamera(const Bounds& bounds, float yawDegrees, float pitchDegrees, int width, int height);

// Rasterizes the triangles with a depth buffer, two-sided lighting from the library's
// normals, a checker pattern from the texture coordinates and a soft ground shadow,
// over a light background. Returns the share of pixels the model covers.
double Rasterize(const std::vector<StreamTriangle>& triangles, const Camera& camera, Image& image);

}  // namespace md5tool
