#include <gtest/gtest.h>

#include <vector>

#if !defined(_WIN32)
#include <pthread.h>
#endif

#include "actor/actor.h"
#include "actor/actor_table.h"
#include "brmath/brmath.h"
#include "support/actor_builder.h"
#include "support/recording_device.h"

using brmath::Actor;
using brmath::Vector2;
using brmath::Vector3;
using brmath_test::MeshLayout;
using brmath_test::RecordingDevice;
using Kind = RecordingDevice::Kind;

namespace {

// A mesh of `triangles` triangles over three vertices; vertex v sits at (v, 10v, 100v).
MeshLayout Fan(int triangles) {
    MeshLayout layout;
    layout.positions = {Vector3(0, 0, 0), Vector3(1, 10, 100), Vector3(2, 20, 200)};
    layout.texCoords = {Vector2(0, 0), Vector2(0.5f, -0.5f), Vector2(1, -1)};
    for (int t = 0; t < triangles; ++t) layout.triangles.push_back({t % 3, (t + 1) % 3, (t + 2) % 3});
    return layout;
}

void ExpectDraw(const RecordingDevice::Call& shader, const RecordingDevice::Call& draw, uint32_t triangles) {
    EXPECT_EQ(shader.kind, Kind::SetVertexShader);
    EXPECT_EQ(shader.handle, 0x112u);
    EXPECT_EQ(draw.kind, Kind::DrawPrimitiveUP);
    EXPECT_EQ(draw.primitiveType, 4);
    EXPECT_EQ(draw.primitiveCount, triangles);
    EXPECT_EQ(draw.stride, 32u);
}

}  // namespace

TEST(RenderTest, OneShaderAndOneDrawPerMesh) {
    Actor actor;
    brmath_test::AddMeshes(actor, {Fan(2), Fan(5)});
    RecordingDevice device;
    EXPECT_EQ(actor.Render(device.Device()), 15);
    ASSERT_EQ(device.calls.size(), 4u);
    ExpectDraw(device.calls[0], device.calls[1], 2);
    ExpectDraw(device.calls[2], device.calls[3], 5);
    // Both meshes are drawn from the same buffer.
    EXPECT_EQ(device.calls[1].data, device.calls[3].data);
}

TEST(RenderTest, VerticesExchangeYAndZ) {
    MeshLayout layout;
    layout.positions = {Vector3(1, 2, 3), Vector3(4, 5, 6), Vector3(7, 8, 9)};
    layout.texCoords = {Vector2(0.25f, -0.5f), Vector2(0, 0), Vector2(1, 1)};
    layout.triangles = {{0, 1, 2}, {2, 2, 2}};
    Actor actor;
    brmath_test::AddMeshes(actor, {layout});
    actor.meshes[0].vertices[0].normal = Vector3(0, 0, 1);
    RecordingDevice device;
    EXPECT_EQ(actor.Render(device.Device()), 6);
    ASSERT_EQ(device.calls.size(), 2u);
    const std::vector<float>& f = device.calls[1].floats;
    ASSERT_EQ(f.size(), 6u * 8u);
    const std::vector<float> first(f.begin(), f.begin() + 8);
    EXPECT_EQ(first, (std::vector<float>{1, 3, 2, 0, 1, 0, 0.25f, -0.5f}));
    // A triangle that names one vertex three times still gives three entries.
    for (int corner = 3; corner < 6; ++corner) {
        EXPECT_EQ(f[corner * 8 + 0], 7.0f);
        EXPECT_EQ(f[corner * 8 + 1], 9.0f);
        EXPECT_EQ(f[corner * 8 + 2], 8.0f);
    }
}

TEST(RenderTest, MeshWithoutTrianglesStillDraws) {
    Actor actor;
    brmath_test::AddMeshes(actor, {Fan(4), Fan(0)});
    RecordingDevice device;
    EXPECT_EQ(actor.Render(device.Device()), 0);
    ASSERT_EQ(device.calls.size(), 4u);
    ExpectDraw(device.calls[2], device.calls[3], 0);
}

TEST(RenderTest, LargestMeshOneDrawTakes) {
    Actor actor;
    brmath_test::AddMeshes(actor, {Fan(3333)});
    RecordingDevice device;
    EXPECT_EQ(actor.Render(device.Device()), 9999);
    ASSERT_EQ(device.calls.size(), 2u);
    ExpectDraw(device.calls[0], device.calls[1], 3333);
    EXPECT_EQ(device.calls[1].floats.size(), 9999u * 8u);
}

TEST(RenderTest, LargerMeshesAreDrawnInBatchesInTriangleOrder) {
    Actor actor;
    brmath_test::AddMeshes(actor, {Fan(7000), Fan(1)});
    RecordingDevice device;
    EXPECT_EQ(actor.Render(device.Device()), 3);
    ASSERT_EQ(device.calls.size(), 8u);
    ExpectDraw(device.calls[0], device.calls[1], 3333);
    ExpectDraw(device.calls[2], device.calls[3], 3333);
    ExpectDraw(device.calls[4], device.calls[5], 334);
    ExpectDraw(device.calls[6], device.calls[7], 1);
    // Triangle 3333 opens the second batch: its corners are vertices 0, 1, 2 (3333 % 3 == 0).
    EXPECT_EQ(device.calls[3].floats[8 * 1 + 0], 1.0f);
    // Triangle 6666 opens the third: 6666 % 3 == 0 as well; triangle 6667 starts at vertex 1.
    EXPECT_EQ(device.calls[5].floats[8 * 3 + 0], 1.0f);
    EXPECT_EQ(actor.Render(device.Device()), 3);
}

TEST(RenderTest, EmptyActorsAndNullDevicesDrawNothing) {
    Actor empty;
    RecordingDevice device;
    EXPECT_EQ(empty.Render(device.Device()), 0);
    EXPECT_TRUE(device.calls.empty());
    Actor actor;
    brmath_test::AddMeshes(actor, {Fan(2)});
    EXPECT_EQ(actor.Render(nullptr), 0);
    EXPECT_EQ(MD5_RenderActor(9, nullptr), 0);
    EXPECT_EQ(MD5_RenderActor(9, device.Device()), 0);  // never loaded
    EXPECT_TRUE(device.calls.empty());
}

TEST(RenderTest, DrawingTwiceSendsIdenticalData) {
    Actor actor;
    brmath_test::AddMeshes(actor, {Fan(10)});
    actor.ComputeNormalsAndTangents();
    RecordingDevice first, second;
    actor.Render(first.Device());
    actor.Render(second.Device());
    EXPECT_EQ(first.calls[1].floats, second.calls[1].floats);
}

#if !defined(_WIN32)
// The stack the header asks of a drawing thread: 512 KiB a draw, and as much again for
// each draw nested in a device callback.
TEST(RenderTest, ADrawAndANestedDrawFitTheStackTheHeaderNames) {
#if defined(__EMSCRIPTEN__)
    GTEST_SKIP() << "the web module starts no thread: its draws run on the module's 8 MiB stack";
#endif
    struct Job {
        Actor actor;
        RecordingDevice outer, inner;
        int drawn = 0;
    } job;
    brmath_test::AddMeshes(job.actor, {Fan(3333)});
    job.outer.onDraw = [&job] {
        if (job.inner.calls.empty()) job.actor.Render(job.inner.Device());
    };
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    ASSERT_EQ(pthread_attr_setstacksize(&attributes, 2 * 512 * 1024), 0);
    pthread_t thread;
    const auto draw = [](void* context) -> void* {
        Job& drawing = *static_cast<Job*>(context);
        drawing.drawn = drawing.actor.Render(drawing.outer.Device());
        return nullptr;
    };
    ASSERT_EQ(pthread_create(&thread, &attributes, draw, &job), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
    EXPECT_EQ(job.drawn, 9999);
    EXPECT_EQ(job.inner.calls.size(), 2u);
}
#endif
