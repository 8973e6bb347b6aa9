// The fast kernels against the plain ones, to the bit, on whole actors: the generated
// tube at many frames, and meshes full of degenerate and non-finite values.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "actor/actor.h"
#include "anim/kernels.h"
#include "support/actor_builder.h"
#include "support/actor_snapshot.h"
#include "support/temp_folder.h"
#include "support/tube_model.h"

using brmath::Actor;
using brmath_test::SameBits;
using brmath_test::Snapshot;

namespace {

// The same bits for every number; a NaN matches any NaN, since which of two NaN
// operands an operation passes on is the compiler's choice, not the formula's.
int Differences(const std::vector<brmath::MeshVertex>& a, const std::vector<brmath::MeshVertex>& b) {
    static_assert(sizeof(brmath::MeshVertex) % sizeof(float) == 0, "a vertex is a run of 32-bit fields");
    const size_t words = a.size() * sizeof(brmath::MeshVertex) / sizeof(float);
    const float* x = reinterpret_cast<const float*>(a.data());
    const float* y = reinterpret_cast<const float*>(b.data());
    int differences = 0;
    for (size_t i = 0; i < words; ++i) {
        if (std::memcmp(&x[i], &y[i], sizeof(float)) != 0 && !(std::isnan(x[i]) && std::isnan(y[i]))) {
            ++differences;
        }
    }
    return differences;
}

struct KernelGuard {
    ~KernelGuard() { brmath::UseKernels(brmath::FastKernels()); }
};

// The fast kernel sets, each to be compared with the plain one.
std::vector<const brmath::DeformKernels*> FastKernelSets() { return {&brmath::FastKernels()}; }

}  // namespace

TEST(KernelsTest, HandednessThresholdMatchesTheDoubleComparison) {
    const float threshold = brmath::HandednessThreshold();
    EXPECT_GE(static_cast<double>(threshold), 1e-6);
    EXPECT_LT(static_cast<double>(std::nextafter(threshold, 0.0f)), 1e-6);
}

TEST(KernelsTest, FastAndPlainAgreeOnATubeAtManyFrames) {
    KernelGuard restore;
    brmath_test::TempFolder folder;
    brmath_test::TubeSize size;
    size.rings = 50;
    size.segments = 37;  // leaves a remainder when triangles go four at a time
    size.joints = 12;
    size.meshes = 2;
    size.frames = 30;
    const std::string path = brmath_test::WriteTubeModel(folder.Path(), size);
    Actor plain;
    brmath::UseKernels(brmath::PlainKernels());
    ASSERT_TRUE(plain.LoadMesh(path.c_str()));
    for (const brmath::DeformKernels* kernels : FastKernelSets()) {
        Actor fast;
        brmath::UseKernels(*kernels);
        ASSERT_TRUE(fast.LoadMesh(path.c_str()));
        brmath::UseKernels(brmath::PlainKernels());
        ASSERT_TRUE(plain.LoadMesh(path.c_str()));
        EXPECT_TRUE(SameBits(Snapshot(fast), Snapshot(plain)));
        for (int frame = -3; frame < 40; frame += 3) {
            SCOPED_TRACE(frame);
            brmath::UseKernels(*kernels);
            fast.ProceedAnimation(frame);
            brmath::UseKernels(brmath::PlainKernels());
            plain.ProceedAnimation(frame);
            EXPECT_TRUE(SameBits(Snapshot(fast), Snapshot(plain)));
        }
    }
}

TEST(KernelsTest, FastAndPlainAgreeOnDegenerateAndNonFiniteMeshes) {
    KernelGuard restore;
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
        Actor plain;
        brmath_test::AddMeshes(plain, {layout});
        brmath::UseKernels(brmath::PlainKernels());
        plain.ComputeNormalsAndTangents();
        for (const brmath::DeformKernels* kernels : FastKernelSets()) {
            Actor fast;
            brmath_test::AddMeshes(fast, {layout});
            brmath::UseKernels(*kernels);
            fast.ComputeNormalsAndTangents();
            EXPECT_EQ(Differences(Snapshot(fast), Snapshot(plain)), 0) << "round " << round;
        }
    }
}
