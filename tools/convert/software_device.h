#pragma once

// The two-call drawing device the tools hand the library, which records what is drawn.
#include <cstddef>
#include <cstdint>
#include <vector>

#if defined(_WIN32)
#include <d3d8.h>
#else
#include "brmath/d3d8_standin.h"
#endif

namespace convert {

// The 32-byte vertex the library hands to a device.
struct StreamVertex {
    float position[3];
    float normal[3];
    float texCoord[2];
};

struct StreamTriangle {
    StreamVertex corners[3];
    int mesh = 0;  // the model's mesh it belongs to, set by whoever knows the model
    // For a one-sided triangle, the side its front faces (in the device's space): seen
    // from behind, it is not drawn. All zero: drawn from both sides.
    float front[3] = {0, 0, 0};
    // Each corner's tangent frame in the device's space, when whoever draws it lights
    // the model with normal maps: the way texture s falls and the way t rises.
    float tangent[3][3] = {};
    float bitangent[3][3] = {};
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

// A device for hosts without Direct3D: it records every call and keeps every triangle
// it is asked to draw, so that they can be framed and rasterized afterwards. On
// Windows it is shaped as the COM device the library calls there.
class SoftwareDevice {
public:
    SoftwareDevice();
    SoftwareDevice(const SoftwareDevice&) = delete;
    SoftwareDevice& operator=(const SoftwareDevice&) = delete;

    IDirect3DDevice8* Device() { return reinterpret_cast<IDirect3DDevice8*>(&object_); }
    std::vector<StreamTriangle> triangles;
    std::vector<DeviceCall> calls;
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

}  // namespace convert
