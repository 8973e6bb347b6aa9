/* The drawing device off Windows: a stand-in for the two operations of the Direct3D 8
 * device that BRMath calls, with the same arguments in the same order. A host embeds
 * an IDirect3DDevice8 as the first member of its own device and points lpVtbl at its
 * functions; BRMath calls nothing else and keeps no pointer after MD5_RenderActor.
 *
 * Per mesh, in batches of at most 3333 triangles, BRMath calls SetVertexShader(0x112)
 * before each DrawPrimitiveUP with D3DPT_TRIANGLELIST, the batch's triangle count, a
 * pointer to 32-byte vertices (position x, y, z, normal x, y, z, texture u, v: y and z
 * already exchanged for a y-up device, v negated from the file's) and the stride 32.
 * Results are ignored. */
#ifndef BRMATH_D3D8_STANDIN_H
#define BRMATH_D3D8_STANDIN_H

/* With the real <d3d8.h> included, its device is the one to use: the stand-in steps
 * aside rather than declare the same names again. */
#if defined(_D3D8_H_) || defined(__WINE_D3D8_H) || defined(__d3d8_h__)
#define BRMATH_D3D8_STANDIN_SKIPPED 1
#else

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef enum D3DPRIMITIVETYPE {
    D3DPT_POINTLIST = 1,
    D3DPT_LINELIST = 2,
    D3DPT_LINESTRIP = 3,
    D3DPT_TRIANGLELIST = 4,
    D3DPT_TRIANGLESTRIP = 5,
    D3DPT_TRIANGLEFAN = 6
} D3DPRIMITIVETYPE;

typedef struct IDirect3DDevice8 IDirect3DDevice8;

typedef struct IDirect3DDevice8Vtbl {
    int32_t (*DrawPrimitiveUP)(IDirect3DDevice8* self, D3DPRIMITIVETYPE primitiveType, uint32_t primitiveCount,
                               const void* vertexData, uint32_t vertexStride);
    int32_t (*SetVertexShader)(IDirect3DDevice8* self, uint32_t handle);
} IDirect3DDevice8Vtbl;

struct IDirect3DDevice8 {
    const IDirect3DDevice8Vtbl* lpVtbl;
};

#ifdef __cplusplus
}
#endif

#endif /* the real <d3d8.h> */
#endif /* BRMATH_D3D8_STANDIN_H */
