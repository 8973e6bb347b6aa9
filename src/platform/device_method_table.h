#pragma once

// For devices that stand in for Direct3D's on Windows (the tests' recording device,
// md5tool's software device): a method table laid out as IDirect3DDevice8's, so that
// the library's calls through the real interface reach them.
#if defined(_WIN32)
#include <d3d8.h>

namespace brmath {

using DrawPrimitiveUPMethod = HRESULT(STDMETHODCALLTYPE*)(IDirect3DDevice8*, D3DPRIMITIVETYPE, UINT, const void*, UINT);
using SetVertexShaderMethod = HRESULT(STDMETHODCALLTYPE*)(IDirect3DDevice8*, DWORD);

// 97 entries, DrawPrimitiveUP at 72 and SetVertexShader at 76 as d3d8.h lays them
// out; every other entry is empty, so calling one crashes.
struct DeviceMethodTable {
    void* entries[97];
    DeviceMethodTable(DrawPrimitiveUPMethod draw, SetVertexShaderMethod setShader) : entries() {
        entries[72] = reinterpret_cast<void*>(draw);
        entries[76] = reinterpret_cast<void*>(setShader);
    }
};

}  // namespace brmath
#endif
