// The two-call device: it records every call and keeps every triangle it is asked
// to draw, for the JSON state and the rasterizer.
#include "software_device.h"

#include <cstring>

#include "platform/device_method_table.h"

namespace convert {

namespace {

constexpr uint32_t kExpectedFormat = 0x112;  // position, normal, one texture coordinate pair

SoftwareDevice* OwnerOf(IDirect3DDevice8* self) { return reinterpret_cast<SoftwareDevice::Object*>(self)->owner; }

int32_t RecordDraw(IDirect3DDevice8* self, D3DPRIMITIVETYPE type, uint32_t count, const void* data, uint32_t stride) {
    SoftwareDevice* device = OwnerOf(self);
    DeviceCall call{true};
    call.primitiveType = type;
    call.primitiveCount = count;
    call.stride = stride;
    call.firstTriangle = device->triangles.size();
    device->calls.push_back(call);
    if (type != D3DPT_TRIANGLELIST || stride != sizeof(StreamVertex) || device->vertexShader != kExpectedFormat) {
        device->sawUnknownFormat = true;
        return -1;
    }
    const StreamVertex* vertices = static_cast<const StreamVertex*>(data);
    for (uint32_t t = 0; t < count; ++t) {
        StreamTriangle triangle;
        std::memcpy(triangle.corners, vertices + 3 * t, sizeof(triangle.corners));
        device->triangles.push_back(triangle);
    }
    return 0;
}

int32_t RecordShader(IDirect3DDevice8* self, uint32_t handle) {
    DeviceCall call{false};
    call.handle = handle;
    OwnerOf(self)->calls.push_back(call);
    OwnerOf(self)->vertexShader = handle;
    return 0;
}

#if defined(_WIN32)
// The library calls a COM device there.
HRESULT STDMETHODCALLTYPE DrawPrimitiveUP(IDirect3DDevice8* self, D3DPRIMITIVETYPE type, UINT count,
                                          const void* data, UINT stride) {
    return RecordDraw(self, type, count, data, stride);
}
HRESULT STDMETHODCALLTYPE SetVertexShader(IDirect3DDevice8* self, DWORD handle) { return RecordShader(self, handle); }
const brmath::DeviceMethodTable kMethods(&DrawPrimitiveUP, &SetVertexShader);
const void* const kMethodTable = kMethods.entries;
#else
const IDirect3DDevice8Vtbl kMethods = {&RecordDraw, &RecordShader};
const void* const kMethodTable = &kMethods;
#endif

}  // namespace

SoftwareDevice::SoftwareDevice() : object_{kMethodTable, this} {}

}  // namespace convert
