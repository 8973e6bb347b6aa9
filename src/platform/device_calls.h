#pragma once

// The two device operations drawing uses, on the real Direct3D 8 device on Windows
// and on the stand-in elsewhere.
#include <cstdint>

#if defined(_WIN32)
#include <d3d8.h>
#else
#include "brmath/d3d8_standin.h"
#endif

namespace brmath {

inline void CallSetVertexShader(IDirect3DDevice8* device, uint32_t handle) {
#if defined(_WIN32)
    device->SetVertexShader(handle);
#else
    device->lpVtbl->SetVertexShader(device, handle);
#endif
}

inline void CallDrawTriangleList(IDirect3DDevice8* device, uint32_t triangleCount, const void* vertices,
                                 uint32_t stride) {
#if defined(_WIN32)
    device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, triangleCount, vertices, stride);
#else
    device->lpVtbl->DrawPrimitiveUP(device, D3DPT_TRIANGLELIST, triangleCount, vertices, stride);
#endif
}

}  // namespace brmath
