// The conversion core on files in memory: listed as Windows lists a folder, loaded to
// the same bits as from disk, and exported from a posed model as from a fresh one.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "base/allocation.h"
#include "gltf_export.h"
#include "loaded_model.h"

namespace {

const std::string kSample = std::string(BRMATH_SAMPLES_DIR) + "/robot/";

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The sample's files in memory, inside a folder of the set.
convert::MemoryFiles Sample() {
    convert::MemoryFiles files;
    for (const char* name : {"robot.md5mesh", "idle.md5anim", "walk.md5anim", "wave.md5anim"}) {
        files.Add(std::string("robot/") + name, Read(kSample + name));
    }
    return files;
}

TEST(ConvertTest, MemoryFilesListAsAWindowsFolderAndFindNamesEitherWay) {
    convert::MemoryFiles files;
    for (const char* name : {"m/walk_left.md5anim", "m/WALKFAST.MD5ANIM", "m/walk.md5anim", "m/sub/x.md5anim",
                             "other.md5anim", "m/walk.md5anim.bak"}) {
        files.Add(name, name);
    }
    EXPECT_EQ(convert::ListedNames(files, "m\\*.md5anim"), (std::vector<std::string>{"walk.md5anim", "WALKFAST.MD5ANIM", "walk_left.md5anim"}));
    EXPECT_EQ(convert::ListedNames(files, ".\\*.md5anim"), std::vector<std::string>{"other.md5anim"});
    ASSERT_NE(files.Bytes("./m\\walk.md5anim"), nullptr);
    EXPECT_EQ(*files.Bytes("m/walk.md5anim"), "m/walk.md5anim");
    EXPECT_EQ(files.Bytes("m/missing.md5anim"), nullptr);
    char* data = nullptr;
    size_t size = 0;
    ASSERT_TRUE(files.ReadWhole("m\\sub\\x.md5anim", &data, &size));
    EXPECT_EQ(std::string(data, size), "m/sub/x.md5anim");
    EXPECT_EQ(data[size], '\0');
    brmath::FreeBytes(data);
}

TEST(ConvertTest, AModelInMemoryLoadsAsFromDisk) {
    convert::MemoryFiles files = Sample();
    const convert::LoadedModel model = convert::LoadModel(files, "robot/robot.md5mesh");
    brmath::Actor disk;
    ASSERT_TRUE(model.loaded && disk.LoadMesh((kSample + "robot.md5mesh").c_str()));
    const brmath::Actor& memory = *model.actor;
    EXPECT_EQ(model.clipNames, (std::vector<std::string>{"idle", "walk", "wave"}));
    ASSERT_EQ(memory.animationCount, disk.animationCount);
    for (int j = 0; j < disk.jointCount; ++j) {
        EXPECT_EQ(std::memcmp(&memory.joints[j].matrix, &disk.joints[j].matrix, sizeof(brmath::Matrix4)), 0) << j;
    }
    for (int m = 0; m < disk.meshCount; ++m) {
        const size_t bytes = sizeof(brmath::MeshVertex) * static_cast<size_t>(disk.meshes[m].vertexCount);
        EXPECT_EQ(std::memcmp(memory.meshes[m].vertices, disk.meshes[m].vertices, bytes), 0) << m;
    }
    // The bind pose is the mesh's, before any clip moved the joints to its base frame.
    ASSERT_EQ(model.bindPose.size(), static_cast<size_t>(disk.jointCount));
    int moved = 0;
    for (int j = 0; j < disk.jointCount; ++j) {
        moved += std::memcmp(&model.bindPose[static_cast<size_t>(j)], &memory.joints[j].matrix, sizeof(brmath::Matrix4)) != 0;
    }
    EXPECT_GT(moved, 0);
}

TEST(ConvertTest, APosedModelExportsAsAFreshOneAndKeepsItsPose) {
    convert::MemoryFiles files = Sample();
    convert::ExportRequest request;
    request.output = "robot.glb";
    convert::LoadedModel fresh = convert::LoadModel(files, "robot/robot.md5mesh");
    const convert::ExportResult expected = convert::ExportGltf(fresh, files, request);
    convert::LoadedModel posed = convert::LoadModel(files, "robot/robot.md5mesh");
    ASSERT_TRUE(expected.ok && posed.actor->SetAnimation(2));
    posed.actor->ProceedAnimation(7);
    const std::vector<brmath::MeshVertex> shown(posed.actor->meshes[0].vertices,
                                                posed.actor->meshes[0].vertices + posed.actor->meshes[0].vertexCount);
    const convert::ExportResult again = convert::ExportGltf(posed, files, request);
    ASSERT_TRUE(again.ok);
    EXPECT_TRUE(again.files == expected.files);
    EXPECT_EQ(posed.actor->currentAnimation, 2);
    EXPECT_EQ(std::memcmp(shown.data(), posed.actor->meshes[0].vertices, shown.size() * sizeof(shown[0])), 0);
}

}  // namespace
