#include <gtest/gtest.h>

#include "actor/actor.h"
#include "support/actor_builder.h"
#include "support/actor_snapshot.h"
#include "support/float_bits.h"

using brmath::Actor;
using brmath::Matrix4;
using brmath::MeshWeight;
using brmath::Vector3;

namespace {

// One mesh of one vertex per weight list, over `joints` joints with identity matrices.
void BuildSkinned(Actor& actor, int joints, const std::vector<std::vector<MeshWeight>>& perVertex) {
    actor.jointCount = joints;
    actor.joints = brmath::AllocateArray<brmath::Joint>(joints);
    for (int j = 0; j < joints; ++j) {
        actor.joints[j] = brmath::Joint{};
        actor.joints[j].matrix = Matrix4();
    }
    brmath_test::MeshLayout layout;
    layout.positions.assign(perVertex.size(), Vector3(9, 9, 9));
    brmath_test::AddMeshes(actor, {layout});
    std::vector<MeshWeight> weights;
    for (size_t v = 0; v < perVertex.size(); ++v) {
        actor.meshes[0].vertices[v].weightStart = static_cast<int32_t>(weights.size());
        actor.meshes[0].vertices[v].weightCount = static_cast<int32_t>(perVertex[v].size());
        weights.insert(weights.end(), perVertex[v].begin(), perVertex[v].end());
    }
    actor.meshes[0].weightCount = static_cast<int32_t>(weights.size());
    actor.meshes[0].weights = brmath_test::CopyToHeap(weights);
}

MeshWeight Weight(int joint, float bias, Vector3 position) {
    MeshWeight w;
    w.joint = joint;
    w.bias = bias;
    w.position = position;
    return w;
}

}  // namespace

TEST(SkinningTest, WeightedSumOfPlacedWeights) {
    Actor actor;
    BuildSkinned(actor, 2,
                 {{},
                  {Weight(0, 1.0f, Vector3(1, 2, 3))},
                  {Weight(0, 0.5f, Vector3(1, 2, 3))},
                  {Weight(1, 1.0f, Vector3(1, 2, 3))},
                  {Weight(1, 0.25f, Vector3(4, 0, 0)), Weight(1, 0.5f, Vector3(0, 4, 0))}});
    actor.joints[1].matrix = Matrix4::Translation(10, 20, 30);
    actor.SkinVertices();
    const brmath::MeshVertex* v = actor.meshes[0].vertices;
    EXPECT_VEC3_EQ(v[0].position, 0.0f, 0.0f, 0.0f);     // no weights
    EXPECT_VEC3_EQ(v[1].position, 1.0f, 2.0f, 3.0f);     // identity, bias 1
    EXPECT_VEC3_EQ(v[2].position, 0.5f, 1.0f, 1.5f);     // biases are not renormalised
    EXPECT_VEC3_EQ(v[3].position, 11.0f, 22.0f, 33.0f);  // translated
    // Two weights on the same joint both count: 0.25*(14,20,30) + 0.5*(10,24,30).
    EXPECT_VEC3_EQ(v[4].position, 8.5f, 17.0f, 22.5f);
}

TEST(SkinningTest, ContributionsAreRoundedAndAddedInWeightOrder) {
    Actor actor;
    const float big = 16777216.0f;  // 2^24: adding 1 to it is lost in float
    BuildSkinned(actor, 1,
                 {{Weight(0, 1.0f, Vector3(big, 0, 0)), Weight(0, 1.0f, Vector3(1, 0, 0)),
                   Weight(0, 1.0f, Vector3(1, 0, 0))},
                  {Weight(0, 1.0f, Vector3(1, 0, 0)), Weight(0, 1.0f, Vector3(1, 0, 0)),
                   Weight(0, 1.0f, Vector3(big, 0, 0))}});
    actor.SkinVertices();
    EXPECT_EQ(actor.meshes[0].vertices[0].position.x, big);
    EXPECT_EQ(actor.meshes[0].vertices[1].position.x, big + 2.0f);
}

TEST(SkinningTest, SkinningTwiceGivesIdenticalBits) {
    Actor actor;
    BuildSkinned(actor, 2,
                 {{Weight(0, 0.3f, Vector3(0.1f, 0.7f, -2)), Weight(1, 0.7f, Vector3(3, 0.2f, 1))},
                  {Weight(1, 1.0f, Vector3(-1, 5, 0.3f))},
                  {Weight(0, 0.6f, Vector3(2, 2, 2)), Weight(1, 0.4f, Vector3(0, -3, 1))}});
    actor.meshes[0].triangleCount = 1;
    actor.meshes[0].triangles = brmath::AllocateArray<brmath::MeshTriangle>(1);
    actor.meshes[0].triangles[0] = brmath::MeshTriangle{{0, 1, 2}};
    actor.joints[1].matrix = Matrix4::RotationX(0.7f) * Matrix4::Translation(1, 2, 3);
    actor.SkinVertices();
    const std::vector<brmath::MeshVertex> first = brmath_test::Snapshot(actor);
    actor.SkinVertices();
    EXPECT_TRUE(brmath_test::SameBits(first, brmath_test::Snapshot(actor)));
}
