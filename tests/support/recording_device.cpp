#include "support/recording_device.h"

#include <cstring>

#if defined(_WIN32)
#include <d3d8.h>
#else
#include "brmath/d3d8_standin.h"
#endif

#include "platform/device_method_table.h"

namespace brmath_test {

namespace {

RecordingDevice* OwnerOf(IDirect3DDevice8* self) {
    return reinterpret_cast<RecordingDevice::Object*>(self)->owner;
}

void RecordDraw(IDirect3DDevice8* self, int type, uint32_t count, const void* data, uint32_t stride) {
    RecordingDevice* owner = OwnerOf(self);
    RecordingDevice::Call call;
    call.kind = RecordingDevice::Kind::DrawPrimitiveUP;
    call.primitiveType = type;
    call.primitiveCount = count;
    call.data = data;
    call.stride = stride;
    const size_t bytes = static_cast<size_t>(count) * 3 * stride;
    owner->bytesReceived += bytes;
    if (owner->copyVertices && bytes != 0) {
        call.floats.resize(bytes / sizeof(float));
        std::memcpy(call.floats.data(), data, bytes);
    }
    owner->calls.push_back(std::move(call));
    if (owner->onDraw) owner->onDraw();
}

void RecordShader(IDirect3DDevice8* self, uint32_t handle) {
    RecordingDevice::Call call;
    call.kind = RecordingDevice::Kind::SetVertexShader;
    call.handle = handle;
    OwnerOf(self)->calls.push_back(std::move(call));
}

#if defined(_WIN32)
HRESULT STDMETHODCALLTYPE DrawPrimitiveUP(IDirect3DDevice8* self, D3DPRIMITIVETYPE type, UINT count,
                                          const void* data, UINT stride) {
    RecordDraw(self, type, count, data, stride);
    return D3D_OK;
}

HRESULT STDMETHODCALLTYPE SetVertexShader(IDirect3DDevice8* self, DWORD handle) {
    RecordShader(self, handle);
    return D3D_OK;
}

const brmath::DeviceMethodTable kMethods(&DrawPrimitiveUP, &SetVertexShader);
const void* const kMethodTable = kMethods.entries;
#else
int32_t DrawPrimitiveUP(IDirect3DDevice8* self, D3DPRIMITIVETYPE type, uint32_t count, const void* data,
                        uint32_t stride) {
    RecordDraw(self, type, count, data, stride);
    return 0;
}

int32_t SetVertexShader(IDirect3DDevice8* self, uint32_t handle) {
    RecordShader(self, handle);
    return 0;
}

const IDirect3DDevice8Vtbl kMethods = {&DrawPrimitiveUP, &SetVertexShader};
const void* const kMethodTable = &kMethods;
#endif

}  // namespace

RecordingDevice::RecordingDevice() : object_{kMethodTable, this} {}

}  // namespace brmath_test
