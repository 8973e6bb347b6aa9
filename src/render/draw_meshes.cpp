// Handing meshes' current shape to the device, one triangle list per mesh.
#include "render/draw_meshes.h"

#include "platform/device_calls.h"
#include "render/render_vertex.h"

namespace brmath {

namespace {

void WriteCorner(RenderVertex& out, const MeshVertex& in) {
    // The device's y axis is the model's z axis.
    out.position[0] = in.position.x;
    out.position[1] = in.position.z;
    out.position[2] = in.position.y;
    out.normal[0] = in.normal.x;
    out.normal[1] = in.normal.z;
    out.normal[2] = in.normal.y;
    out.texCoord[0] = in.texCoord.x;
    out.texCoord[1] = in.texCoord.y;
}

void Draw(IDirect3DDevice8* device, const RenderVertex* buffer, int32_t triangles) {
    CallSetVertexShader(device, kRenderVertexFormat);
    CallDrawTriangleList(device, static_cast<uint32_t>(triangles), buffer, sizeof(RenderVertex));
}

}  // namespace

int32_t DrawMeshes(const Mesh* meshes, int32_t meshCount, IDirect3DDevice8* device) {
    if (device == nullptr) return 0;
    RenderVertex buffer[kMaxRenderVertices];
    int64_t filled = 0;
    for (int32_t m = 0; m < meshCount; ++m) {
        const Mesh& mesh = meshes[m];
        // A mesh larger than the buffer goes out in batches of whole triangles.
        int32_t batch = 0;
        for (int32_t t = 0; t < mesh.triangleCount; ++t) {
            if (batch == kMaxTrianglesPerDraw) {
                Draw(device, buffer, batch);
                batch = 0;
            }
            const int32_t* index = mesh.triangles[t].indices;
            RenderVertex* out = buffer + 3 * batch;
            WriteCorner(out[0], mesh.vertices[index[0]]);
            WriteCorner(out[1], mesh.vertices[index[1]]);
            WriteCorner(out[2], mesh.vertices[index[2]]);
            ++batch;
        }
        Draw(device, buffer, batch);
        filled = 3 * static_cast<int64_t>(mesh.triangleCount);
    }
    return static_cast<int32_t>(filled);
}

}  // namespace brmath
