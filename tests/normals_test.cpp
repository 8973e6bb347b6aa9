#include <gtest/gtest.h>

#include <cmath>

#include "actor/actor.h"
#include "support/actor_builder.h"
#include "support/float_bits.h"

using brmath::Actor;
using brmath::MeshVertex;
using brmath::Vector2;
using brmath::Vector3;
using brmath_test::MeshLayout;

namespace {

// One triangle (0,0,0), (1,0,0), (0,1,0) with the given texture coordinates.
void BuildTriangle(Actor& actor, Vector2 t0, Vector2 t1, Vector2 t2) {
    MeshLayout layout;
    layout.positions = {Vector3(0, 0, 0), Vector3(1, 0, 0), Vector3(0, 1, 0)};
    layout.texCoords = {t0, t1, t2};
    layout.triangles = {{0, 1, 2}};
    brmath_test::AddMeshes(actor, {layout});
    actor.ComputeNormalsAndTangents();
}

}  // namespace

TEST(NormalsTest, PlainMapping) {
    Actor actor;
    BuildTriangle(actor, Vector2(0, 0), Vector2(1, 0), Vector2(0, 1));
    for (int v = 0; v < 3; ++v) {
        const MeshVertex& vertex = actor.meshes[0].vertices[v];
        EXPECT_VEC3_EQ(vertex.normal, 0.0f, 0.0f, -1.0f);
        EXPECT_VEC3_EQ(vertex.tangent, -1.0f, 0.0f, 0.0f);
        EXPECT_VEC3_EQ(vertex.bitangent, 0.0f, -1.0f, 0.0f);
        EXPECT_VEC3_EQ(vertex.tangentNormal, 0.0f, 0.0f, 1.0f);
    }
}

TEST(NormalsTest, MirroredMappingFlipsTheFrameNormal) {
    Actor actor;
    BuildTriangle(actor, Vector2(1, 0), Vector2(0, 0), Vector2(1, 1));
    const MeshVertex& vertex = actor.meshes[0].vertices[2];
    EXPECT_VEC3_EQ(vertex.tangent, 1.0f, 0.0f, 0.0f);
    EXPECT_VEC3_EQ(vertex.bitangent, 0.0f, -1.0f, 0.0f);
    EXPECT_VEC3_EQ(vertex.tangentNormal, 0.0f, 0.0f, 1.0f);  // (0, 0, -1) failed the handedness test
}

TEST(NormalsTest, ShearedMappingShortensBitangentAndFrameNormal) {
    Actor actor;
    BuildTriangle(actor, Vector2(0, 0), Vector2(1, 0), Vector2(1, 1));
    const MeshVertex& vertex = actor.meshes[0].vertices[0];
    EXPECT_VEC3_EQ(vertex.tangent, -1.0f, 0.0f, 0.0f);
    EXPECT_VEC3_EQ(vertex.bitangent, 0.0f, -0.70710677f, 0.0f);
    EXPECT_VEC3_EQ(vertex.tangentNormal, 0.0f, 0.0f, 0.70710677f);
}

TEST(NormalsTest, SharedVertexSumsFacesByArea) {
    MeshLayout layout;
    layout.positions = {Vector3(0, 0, 0), Vector3(1, 0, 0), Vector3(0, 2, 0), Vector3(0, 3, 0), Vector3(0, 0, 2),
                      Vector3(5, 5, 5)};
    layout.texCoords = std::vector<Vector2>(6, Vector2(0, 0));
    layout.triangles = {{0, 1, 2}, {0, 3, 4}};  // areas 1 and 3
    Actor actor;
    brmath_test::AddMeshes(actor, {layout});
    actor.ComputeNormalsAndTangents();
    const Vector3& normal = actor.meshes[0].vertices[0].normal;
    // Printed to seven digits; dividing by the length rounded to float puts x one
    // unit in the last place from the nearest float to -0.9486833.
    EXPECT_LE(brmath_test::UlpDistance(normal.x, -0.9486833f), 1);
    EXPECT_EQ(normal.y, 0.0f);
    EXPECT_LE(brmath_test::UlpDistance(normal.z, -0.3162278f), 1);
    EXPECT_EQ(normal.x, -6.0f / std::sqrt(40.0f));
    EXPECT_EQ(normal.z, -2.0f / std::sqrt(40.0f));
    // The unused vertex has no normal, and its frame was never written.
    EXPECT_VEC3_EQ(actor.meshes[0].vertices[5].normal, 0.0f, 0.0f, 0.0f);
    EXPECT_VEC3_EQ(actor.meshes[0].vertices[5].tangent, 0.0f, 0.0f, 0.0f);
}

TEST(NormalsTest, LastTriangleWinsTheTangentFrame) {
    MeshLayout layout;
    layout.positions = {Vector3(0, 0, 0), Vector3(1, 0, 0), Vector3(0, 1, 0), Vector3(1, 1, 0)};
    layout.texCoords = {Vector2(0, 0), Vector2(1, 0), Vector2(0, 1), Vector2(0, 1)};
    layout.triangles = {{0, 1, 2}, {0, 1, 3}};  // the second triangle's mapping is sheared
    Actor actor;
    brmath_test::AddMeshes(actor, {layout});
    actor.ComputeNormalsAndTangents();
    const MeshVertex* v = actor.meshes[0].vertices;
    for (int corner : {0, 1, 3}) {
        EXPECT_VEC3_EQ(v[corner].bitangent, 0.0f, -0.70710677f, 0.0f);
        EXPECT_VEC3_EQ(v[corner].tangentNormal, 0.0f, 0.0f, 0.70710677f);
    }
    EXPECT_VEC3_EQ(v[2].bitangent, 0.0f, -1.0f, 0.0f);
    EXPECT_VEC3_EQ(v[2].tangentNormal, 0.0f, 0.0f, 1.0f);
    // The normal sums both faces (each (0, 0, -1) times twice its area) before normalising.
    EXPECT_VEC3_EQ(v[0].normal, 0.0f, 0.0f, -1.0f);
}

TEST(NormalsTest, DegenerateTrianglesGiveNonFiniteFramesButNoNormals) {
    MeshLayout layout;
    layout.positions = {Vector3(0, 0, 0), Vector3(1, 0, 0), Vector3(0, 1, 0)};
    layout.texCoords = {Vector2(0, 0), Vector2(1, 1), Vector2(2, 2)};  // collinear
    layout.triangles = {{0, 1, 2}};
    Actor actor;
    brmath_test::AddMeshes(actor, {layout});
    actor.ComputeNormalsAndTangents();
    const MeshVertex& vertex = actor.meshes[0].vertices[0];
    EXPECT_VEC3_EQ(vertex.normal, 0.0f, 0.0f, -1.0f);
    EXPECT_FALSE(std::isfinite(vertex.tangent.x));

    MeshLayout repeated = layout;
    repeated.texCoords = {Vector2(0, 0), Vector2(1, 0), Vector2(0, 1)};
    repeated.triangles = {{0, 0, 2}};
    Actor second;
    brmath_test::AddMeshes(second, {repeated});
    second.ComputeNormalsAndTangents();
    EXPECT_VEC3_EQ(second.meshes[0].vertices[0].normal, 0.0f, 0.0f, 0.0f);
    EXPECT_FALSE(std::isfinite(second.meshes[0].vertices[0].tangent.y));

    MeshLayout point = layout;
    point.positions = {Vector3(1, 1, 1), Vector3(1, 1, 1), Vector3(1, 1, 1)};
    point.texCoords = {Vector2(0, 0), Vector2(1, 0), Vector2(0, 1)};
    Actor third;
    brmath_test::AddMeshes(third, {point});
    third.ComputeNormalsAndTangents();
    const MeshVertex& corner = third.meshes[0].vertices[1];
    EXPECT_VEC3_EQ(corner.normal, 0.0f, 0.0f, 0.0f);
    EXPECT_VEC3_EQ(corner.tangent, 0.0f, 0.0f, 0.0f);
    EXPECT_VEC3_EQ(corner.tangentNormal, 0.0f, 0.0f, 0.0f);
}
