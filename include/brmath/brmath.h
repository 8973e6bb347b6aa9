/* BRMath: animated MD5 models and a small single-precision math library.
 *
 * Seven functions, the same on Windows (BRMath.dll, stdcall, ordinals 1 to 7) and on
 * other systems (libbrmath). A host asks for an actor slot, loads a .md5mesh file into
 * it (every .md5anim file in the same folder becomes a clip), chooses a clip, poses a
 * frame and draws the actor through its Direct3D 8 device (or, off Windows, through
 * the stand-in device declared in brmath/d3d8_standin.h).
 *
 * Calls come from one thread at a time. Slots run from 0 to 31; an index outside
 * that range, or a null pointer, makes a call fail with its failure value. A device
 * may call back into the library while MD5_RenderActor draws, but cannot replace the
 * model being drawn: MD5_LoadActor on that slot then returns 0 and changes nothing.
 */
#ifndef BRMATH_BRMATH_H
#define BRMATH_BRMATH_H

#include "brmath/version.h"

#ifdef __cplusplus
extern "C" {
#else
#include <stdbool.h>
#endif

#if defined(_WIN32)
#define BRMATH_CALL __stdcall
#else
#define BRMATH_CALL
#endif

#if defined(BRMATH_BUILDING_LIBRARY)
#if defined(_WIN32)
#define BRMATH_API
#else
#define BRMATH_API __attribute__((visibility("default")))
#endif
#else
#define BRMATH_API
#endif

/* Two floats; the operand of V2_Add. */
typedef struct BRVector2 {
    float x;
    float y;
} BRVector2;

struct IDirect3DDevice8;

/* out = a + b, component by component; out may alias a or b. false for a null pointer. */
BRMATH_API bool BRMATH_CALL V2_Add(BRVector2* out, const BRVector2* a, const BRVector2* b);

/* Hands out the next actor slot: 0, 1, 2, ... up to 31; -1 once all 32 are handed out. */
BRMATH_API int BRMATH_CALL MD5_AddActor(void);

/* Loads a .md5mesh file and every .md5anim file of its folder into the slot.
 * 1 when the model loaded; 0 when the file is missing, unreadable, malformed or not a
 * regular file, or the slot is being drawn, in which case the slot keeps what it
 * held. A clip that is malformed or not a regular file is left out. */
BRMATH_API int BRMATH_CALL MD5_LoadActor(int slot, const char* path);

/* Draws the slot's actor in its last pose through the device: per mesh, batches of
 * at most 3333 triangles, each a SetVertexShader(0x112) call followed by a
 * triangle-list DrawPrimitiveUP call. The stream's texture v is the file's v negated.
 * Returns 3 x the last mesh's triangle count, 0 for an actor without meshes or a null
 * device.
 * Drawing allocates nothing: its 320 000-byte vertex buffer lies on the calling
 * thread's stack, so a call needs about 330 KB of stack, and each draw nested in a
 * device callback as much again. Give a thread that draws 512 KiB per level (a
 * Windows thread's default 1 MiB holds one draw and one nested draw, not three). */
BRMATH_API int BRMATH_CALL MD5_RenderActor(int slot, struct IDirect3DDevice8* device);

/* Makes clip `index` current (clips are numbered in the folder listing's order: that
 * of an NTFS folder, names compared upper-cased). false for an index outside the
 * actor's clips. */
BRMATH_API bool BRMATH_CALL MD5_SetAnimation(int slot, int index);

/* Poses the actor at `frame` of the current clip (wrapping around the clip, negative
 * frames included), re-skins it and recomputes normals and tangent frames. */
BRMATH_API bool BRMATH_CALL MD5_ProceedAnimation(int slot, int frame);

/* Frame count of the actor's first clip (clip 0, whichever is current); 0 without clips. */
BRMATH_API int BRMATH_CALL MD5_GetFrameCount(int slot);

/* The seven functions as pointer types, for hosts that load the library at run time
 * (LoadLibraryA and GetProcAddress, or dlopen and dlsym):
 *     BRMATH_PFN_MD5_LoadActor load = (BRMATH_PFN_MD5_LoadActor)GetProcAddress(dll, "MD5_LoadActor"); */
typedef bool(BRMATH_CALL* BRMATH_PFN_V2_Add)(BRVector2* out, const BRVector2* a, const BRVector2* b);
typedef int(BRMATH_CALL* BRMATH_PFN_MD5_AddActor)(void);
typedef int(BRMATH_CALL* BRMATH_PFN_MD5_LoadActor)(int slot, const char* path);
typedef int(BRMATH_CALL* BRMATH_PFN_MD5_RenderActor)(int slot, struct IDirect3DDevice8* device);
typedef bool(BRMATH_CALL* BRMATH_PFN_MD5_SetAnimation)(int slot, int index);
typedef bool(BRMATH_CALL* BRMATH_PFN_MD5_ProceedAnimation)(int slot, int frame);
typedef int(BRMATH_CALL* BRMATH_PFN_MD5_GetFrameCount)(int slot);

#ifdef __cplusplus
}
#endif

#endif /* BRMATH_BRMATH_H */
