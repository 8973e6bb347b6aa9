// The fast posing paths against the plain one, to the bit, on whole actors: the
// generated tube at many frames, and meshes full of degenerate and non-finite values.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "actor/actor.h"
#include "base/allocation.h"
#include "anim/kernels.h"
#include "anim/pose_mesh.h"
#include "anim/pose_workspace.h"
#include "support/actor_builder.h"
#include "support/actor_snapshot.h"
#include "support/temp_folder.h"
#include "support/tube_model.h"

using brmath::Actor;
using brmath_test::SameBits;
using brmath_test::Snapshot;

namespace {

using brmath::PosePath;

// The fast paths this processor runs, each to be compared with the plain one.
std::vector<PosePath> FastPaths() {
    std::vector<PosePath> paths = {PosePath::kSse2};
    if (brmath::PosePathAvailable(PosePath::kAvx)) paths.push_back(PosePath::kAvx);
    return paths;
}

}  // namespace

TEST(KernelsTest, HandednessThresholdMatchesTheDoubleComparison) {
    const float threshold = brmath::HandednessThreshold();
    EXPECT_GE(static_cast<double>(threshold), 1e-6);
    EXPECT_LT(static_cast<double>(std::nextafter(threshold, 0.0f)), 1e-6);
}

TEST(KernelsTest, FastAndPlainAgreeOnATubeAtManyFrames) {
    brmath_test::TempFolder folder;
    brmath_test::TubeSize size;
    size.rings = 50;
    size.segments = 37;  // leaves a remainder when triangles go four at a time
    size.joints = 12;
    size.meshes = 2;
    size.frames = 30;
    const std::string path = brmath_test::WriteTubeModel(folder.Path(), size);
    Actor plain;
    plain.SetPosePath(PosePath::kPlain);
    ASSERT_TRUE(plain.LoadMesh(path.c_str()));
    for (PosePath posePath : FastPaths()) {
        Actor fast;
        fast.SetPosePath(posePath);
        ASSERT_TRUE(fast.LoadMesh(path.c_str()));
        ASSERT_TRUE(plain.LoadMesh(path.c_str()));
        EXPECT_TRUE(SameBits(Snapshot(fast), Snapshot(plain)));
        for (int frame = -3; frame < 40; frame += 3) {
            SCOPED_TRACE(frame);
            fast.ProceedAnimation(frame);
            plain.ProceedAnimation(frame);
            EXPECT_TRUE(SameBits(Snapshot(fast), Snapshot(plain)));
        }
    }
}

TEST(KernelsTest, FastAndPlainAgreeOnDegenerateAndNonFiniteMeshes) {
    std::mt19937 random(12345);
    const float specials[] = {0.0f, -0.0f, 1.0f, -1.0f, 1e-30f, 1e30f, std::numeric_limits<float>::infinity(),
                              -std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN(),
                              std::numeric_limits<float>::denorm_min(), 0.5f, 3.0f};
    const auto value = [&]() {
        const unsigned pick = random() % 4;
        if (pick == 0) return specials[random() % (sizeof(specials) / sizeof(specials[0]))];
        return std::uniform_real_distribution<float>(-4.0f, 4.0f)(random);
    };
    for (int round = 0; round < 20; ++round) {
        brmath_test::MeshLayout layout;
        const int vertices = 7 + round;
        for (int v = 0; v < vertices; ++v) {
            // Some vertices share a position or texture coordinate with the one before.
            if (v > 0 && random() % 5 == 0) {
                layout.positions.push_back(layout.positions.back());
                layout.texCoords.push_back(layout.texCoords.back());
            } else {
                layout.positions.emplace_back(value(), value(), value());
                layout.texCoords.emplace_back(value(), value());
            }
        }
        for (int t = 0; t < 3 * vertices + round % 8; ++t) {
            layout.triangles.push_back({static_cast<int32_t>(random() % vertices),
                                      static_cast<int32_t>(random() % vertices),
                                      static_cast<int32_t>(random() % vertices)});
        }
        // A second, larger mesh makes the fast path's scratch grow between meshes.
        brmath_test::MeshLayout larger = layout;
        for (int copy = 0; copy < 2; ++copy) {
            for (const auto& triangle : layout.triangles) {
                larger.triangles.push_back({(triangle[1] + copy) % vertices, triangle[2], triangle[0]});
            }
        }
        larger.positions.insert(larger.positions.end(), layout.positions.begin(), layout.positions.end());
        larger.texCoords.insert(larger.texCoords.end(), layout.texCoords.begin(), layout.texCoords.end());
        Actor plain;
        brmath_test::AddMeshes(plain, {layout, larger});
        plain.SetPosePath(PosePath::kPlain);
        plain.ComputeNormalsAndTangents();
        for (PosePath posePath : FastPaths()) {
            Actor fast;
            brmath_test::AddMeshes(fast, {layout, larger});
            fast.SetPosePath(posePath);
            fast.ComputeNormalsAndTangents();
            EXPECT_EQ(brmath_test::VertexBitDifferences(Snapshot(fast), Snapshot(plain), true), 0) << "round " << round;
        }
    }
}

// Every model the tests ship, and the benchmark model, loaded and posed by each set of
// kernels: each clip at its first, second, middle and last frames.
TEST(KernelsTest, FastAndPlainAgreeOnTheShippedModelsAndTheBenchmarkModel) {
    brmath_test::TempFolder folder;
    const std::string models[] = {std::string(BRMATH_SAMPLES_DIR) + "/robot/robot.md5mesh",
                                  std::string(BRMATH_TEST_DATA_DIR) + "/rig/rig.md5mesh",
                                  brmath_test::WriteTubeModel(folder.Path(), brmath_test::LargeTube())};
    for (const std::string& model : models) {
        SCOPED_TRACE(model);
        for (PosePath posePath : FastPaths()) {
            Actor plain;
            plain.SetPosePath(PosePath::kPlain);
            ASSERT_TRUE(plain.LoadMesh(model.c_str()));
            Actor fast;
            fast.SetPosePath(posePath);
            ASSERT_TRUE(fast.LoadMesh(model.c_str()));
            ASSERT_EQ(fast.animationCount, plain.animationCount);
            EXPECT_TRUE(SameBits(Snapshot(fast), Snapshot(plain)));
            for (int clip = 0; clip < plain.animationCount; ++clip) {
                const int frames = plain.animations[clip].frameCount;
                for (int frame : {0, 1, frames / 2, -1}) {
                    SCOPED_TRACE(testing::Message() << "clip " << clip << ", frame " << frame);
                    ASSERT_TRUE(fast.SetAnimation(clip) && plain.SetAnimation(clip));
                    fast.ProceedAnimation(frame);
                    plain.ProceedAnimation(frame);
                    EXPECT_TRUE(SameBits(Snapshot(fast), Snapshot(plain)));
                }
            }
        }
    }
}

namespace {

// A tube loaded with the plain kernels, posed at a frame, for the fallbacks below.
struct PosedTubes {
    brmath_test::TempFolder folder;
    std::string path;
    Actor plain;

    PosedTubes() {
        brmath_test::TubeSize size;
        size.rings = 9;
        size.segments = 7;
        size.joints = 4;
        size.meshes = 2;
        size.frames = 5;
        path = brmath_test::WriteTubeModel(folder.Path(), size);
        plain.SetPosePath(PosePath::kPlain);
        EXPECT_TRUE(plain.LoadMesh(path.c_str()));
        plain.ProceedAnimation(3);
    }
};

}  // namespace

TEST(KernelsTest, RefusedMemoryCostsSpeedNotBits) {
    PosedTubes tubes;
    // Each of the first allocations of a fast actor's first posing refused in turn:
    // its prepared lists or its scratch. That posing takes the plain path, the next
    // one the fast path; both give the plain path's bits.
    for (int64_t refused = 1; refused <= 4; ++refused) {
        SCOPED_TRACE(refused);
        Actor fast;
        fast.SetPosePath(PosePath::kPlain);
        ASSERT_TRUE(fast.LoadMesh(tubes.path.c_str()));
        fast.SetPosePath(brmath::DefaultPosePath());
        brmath::FailAllocationAt(refused);
        fast.ProceedAnimation(3);
        brmath::FailAllocationAt(0);
        EXPECT_TRUE(SameBits(Snapshot(fast), Snapshot(tubes.plain)));
        fast.SetPosePath(brmath::DefaultPosePath());  // the same key is posed again, along the fast path
        fast.ProceedAnimation(3);
        EXPECT_TRUE(SameBits(Snapshot(fast), Snapshot(tubes.plain)));
    }
}

TEST(KernelsTest, AMeshWithoutPreparedListsIsPosedByThePlainPath) {
    PosedTubes tubes;
    Actor fast;
    ASSERT_TRUE(fast.LoadMesh(tubes.path.c_str()));
    fast.EvaluatePose(3);
    brmath::PoseWorkspace workspace;
    for (int m = 0; m < fast.meshCount; ++m) {
        brmath::PoseMesh({&fast.meshes[m], fast.joints, nullptr}, brmath::DefaultPosePath(), workspace);
    }
    EXPECT_EQ(workspace.positions, nullptr);  // no scratch was asked for
    EXPECT_TRUE(SameBits(Snapshot(fast), Snapshot(tubes.plain)));
}

TEST(PoseWorkspaceTest, GrowsInTheStepsOfThePassesAndNeverShrinks) {
    brmath::PoseWorkspace workspace;
    ASSERT_TRUE(workspace.Reserve(5, 1));
    EXPECT_EQ(workspace.vertexCapacity, 8);
    EXPECT_EQ(workspace.frameCapacity, 8);
    ASSERT_TRUE(workspace.Reserve(2, 9));
    EXPECT_EQ(workspace.vertexCapacity, 8);
    EXPECT_EQ(workspace.frameCapacity, 16);
    // The rows lie one after another in one block, each with its full room.
    EXPECT_EQ(workspace.normalSums - workspace.positions, 4 * 8);
    EXPECT_EQ(workspace.frames - workspace.normalSums, 4 * 8);
    workspace.frames[12 * 16 - 1] = 1.0f;
    EXPECT_FALSE(workspace.Reserve(0x7ffffffe, 0));
    EXPECT_EQ(workspace.positions, nullptr);
    EXPECT_EQ(workspace.vertexCapacity, 0);
    brmath::FailAllocationAt(1);
    EXPECT_FALSE(workspace.Reserve(1, 1));
    brmath::FailAllocationAt(0);
    EXPECT_EQ(workspace.frames, nullptr);
}
