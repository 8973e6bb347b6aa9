/* A host in C off Windows: draws every frame of the robot's walk through a device of
 * its own, which prints what it is asked to draw. Usage: c_host [MESH] */
#include <stdio.h>

#include "brmath/brmath.h"
#include "brmath/d3d8_standin.h"

static int32_t Draw(IDirect3DDevice8* self, D3DPRIMITIVETYPE type, uint32_t triangles, const void* vertices,
                    uint32_t stride) {
    const float* first = vertices; /* x, y, z, nx, ny, nz, u, v per vertex */
    (void)self;
    (void)type;
    (void)stride;
    if (triangles > 0) printf("  %u triangles, first corner at (%g, %g, %g)\n", triangles, first[0], first[1], first[2]);
    return 0;
}

static int32_t SetShader(IDirect3DDevice8* self, uint32_t handle) {
    (void)self;
    (void)handle;
    return 0;
}

int main(int argc, char** argv) {
    static const IDirect3DDevice8Vtbl methods = {Draw, SetShader};
    IDirect3DDevice8 device = {&methods};
    const char* mesh = argc > 1 ? argv[1] : "samples/robot/robot.md5mesh";
    int slot = MD5_AddActor();
    int frame;
    if (!MD5_LoadActor(slot, mesh)) {
        fprintf(stderr, "cannot load %s\n", mesh);
        return 1;
    }
    MD5_SetAnimation(slot, 1); /* the walk */
    for (frame = 0; frame < 3; ++frame) {
        printf("frame %d:\n", frame);
        MD5_ProceedAnimation(slot, frame);
        MD5_RenderActor(slot, &device);
    }
    return 0;
}
