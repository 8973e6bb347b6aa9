#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "actor/actor.h"
#include "anim/prepared_mesh.h"
#include "md5/read_failure.h"
#include "support/actor_snapshot.h"
#include "support/float_bits.h"
#include "support/sample_models.h"
#include "support/temp_folder.h"

using brmath::Actor;
using brmath::Matrix4;
using brmath_test::TempFolder;

TEST(MeshReaderTest, ReadsJointsMeshesAndBindPose) {
    TempFolder folder;
    Actor actor;
    ASSERT_TRUE(actor.LoadMesh(folder.Write("rig.md5mesh", brmath_test::kRigMesh).c_str()));
    EXPECT_TRUE(actor.IsLoaded());
    ASSERT_EQ(actor.jointCount, 2);
    const brmath::Joint& origin = actor.joints[0];
    const brmath::Joint& hip = actor.joints[1];
    EXPECT_STREQ(origin.name, "origin");
    EXPECT_STREQ(origin.parentName, "none");
    EXPECT_EQ(origin.parentIndex, -1);
    EXPECT_EQ(origin.parent, nullptr);
    EXPECT_EQ(origin.index, 0);
    ASSERT_EQ(origin.childCount, 1);
    EXPECT_EQ(origin.children[0], &hip);
    EXPECT_STREQ(hip.parentName, "origin");
    EXPECT_EQ(hip.parent, &origin);
    EXPECT_EQ(hip.childCount, 0);
    // Orientation (0, 0, 0) is the identity: the bind pose is a pure translation.
    EXPECT_MATRIX_BITS(hip.matrix, Matrix4::Translation(0, 1, 0));

    ASSERT_EQ(actor.meshCount, 1);
    const brmath::Mesh& mesh = actor.meshes[0];
    EXPECT_STREQ(mesh.shader, "models/body.tga");
    EXPECT_EQ(mesh.texture, -1);
    EXPECT_EQ(mesh.localTexture, -1);
    ASSERT_EQ(mesh.vertexCount, 3);
    EXPECT_EQ(mesh.vertices[1].texCoord.x, 1.0f);
    EXPECT_EQ(mesh.vertices[2].texCoord.y, -1.0f);  // v is stored negated
    EXPECT_EQ(mesh.vertices[2].weightStart, 2);
    EXPECT_EQ(mesh.vertices[2].weightCount, 2);
    ASSERT_EQ(mesh.triangleCount, 1);
    EXPECT_EQ(mesh.triangles[0].indices[2], 2);
    ASSERT_EQ(mesh.weightCount, 4);
    EXPECT_EQ(mesh.weights[2].joint, 1);
    EXPECT_EQ(mesh.weights[2].bias, 0.5f);
    EXPECT_VEC3_EQ(mesh.weights[2].position, 0.0f, 0.0f, 2.0f);
    // Loading skins the bind pose: vertex 2 = 0.5 * (0, 1, 2) + 0.5 * (0, 2, 0).
    EXPECT_VEC3_EQ(mesh.vertices[0].position, 0.0f, 0.0f, 0.0f);
    EXPECT_VEC3_EQ(mesh.vertices[1].position, 1.0f, 1.0f, 0.0f);
    EXPECT_VEC3_EQ(mesh.vertices[2].position, 0.0f, 1.5f, 1.0f);
    EXPECT_EQ(actor.GetTriangleCount(), 1);
    EXPECT_EQ(actor.animationCount, 0);
}

TEST(MeshReaderTest, VertexLineNumbersAreIgnoredAndCountsMayBeOctal) {
    std::string text = brmath_test::ReplaceOnce(brmath_test::kRigMesh, "numverts 3\n\tvert 0 ( 0 0 ) 0 1",
                               "numverts 03\n\tvert 7 ( 0.25 0.5 ) 3 1");
    text = brmath_test::ReplaceOnce(text, "numweights 4", "numweights 0x4");
    TempFolder folder;
    Actor actor;
    ASSERT_TRUE(actor.LoadMesh(folder.Write("rig.md5mesh", text).c_str()));
    const brmath::MeshVertex& vertex = actor.meshes[0].vertices[0];
    EXPECT_EQ(vertex.texCoord.x, 0.25f);
    EXPECT_EQ(vertex.texCoord.y, -0.5f);
    EXPECT_EQ(vertex.weightStart, 3);
    EXPECT_EQ(actor.meshes[0].weightCount, 4);
}

TEST(MeshReaderTest, ChildrenAreListedInFileOrder) {
    const std::string text = R"(numJoints 4 numMeshes 0
joints {
 "root" -1 ( 0 0 0 ) ( 0 0 0 )
 "a" 0 ( 1 0 0 ) ( 0 0 0 )
 "b" 0 ( 2 0 0 ) ( 0 0 0 )
 "c" 0 ( 3 0 0 ) ( 0 0 0 )
})";
    TempFolder folder;
    Actor actor;
    ASSERT_TRUE(actor.LoadMesh(folder.Write("fan.md5mesh", text).c_str()));
    ASSERT_EQ(actor.joints[0].childCount, 3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(actor.joints[0].children[i], &actor.joints[i + 1]);
    EXPECT_EQ(actor.meshCount, 0);
    EXPECT_EQ(actor.meshes, nullptr);
}

TEST(MeshReaderTest, TwoMeshesAreReadOneAfterTheOther) {
    const std::string second = R"(
mesh {
	shader "second"
	numverts 1
	vert 0 ( 0 0 ) 0 1
	numtris 0
	numweights 1
	weight 0 1 2 ( 1 1 1 )
}
)";
    std::string text = brmath_test::ReplaceOnce(brmath_test::kRigMesh, "numMeshes 1", "numMeshes 2") + second;
    TempFolder folder;
    Actor actor;
    ASSERT_TRUE(actor.LoadMesh(folder.Write("two.md5mesh", text).c_str()));
    ASSERT_EQ(actor.meshCount, 2);
    EXPECT_STREQ(actor.meshes[1].shader, "second");
    EXPECT_EQ(actor.meshes[1].triangleCount, 0);
    EXPECT_EQ(actor.meshes[1].triangles, nullptr);
    // bias 2 on hip: 2 * ((1, 1, 1) + (0, 1, 0))
    EXPECT_VEC3_EQ(actor.meshes[1].vertices[0].position, 2.0f, 4.0f, 2.0f);
}

TEST(MeshReaderTest, CarriageReturnsReadLikePlainLineBreaks) {
    std::string crlf;
    for (char c : brmath_test::kRigMesh) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    TempFolder folder;
    Actor plain, windows;
    ASSERT_TRUE(plain.LoadMesh(folder.Write("a.md5mesh", brmath_test::kRigMesh).c_str()));
    ASSERT_TRUE(windows.LoadMesh(folder.Write("b.md5mesh", crlf).c_str()));
    EXPECT_TRUE(brmath_test::SameActorBits(plain, windows));
}

TEST(MeshReaderTest, LongJointNamesAreCutAndTerminated) {
    const std::string name(5000, 'j');
    const std::string text = "numJoints 2 numMeshes 0 joints { \"" + name + "\" -1 ( 0 0 0 ) ( 0 0 0 ) \"k\" 0 ( 0 0 0 ) ( 0 0 0 ) }";
    TempFolder folder;
    Actor actor;
    ASSERT_TRUE(actor.LoadMesh(folder.Write("long.md5mesh", text).c_str()));
    EXPECT_EQ(std::string(actor.joints[0].name), std::string(63, 'j'));
    EXPECT_EQ(std::string(actor.joints[1].parentName), std::string(63, 'j'));
}

TEST(MeshReaderTest, AMissingFileLeavesTheActorAsItWas) {
    TempFolder folder;
    Actor actor;
    ASSERT_TRUE(actor.LoadMesh(folder.Write("rig.md5mesh", brmath_test::kRigMesh).c_str()));
    brmath::ReadFailure failure;
    EXPECT_FALSE(actor.LoadMesh(folder.File("missing.md5mesh").c_str(), &failure));
    EXPECT_EQ(failure.line, 0);
    EXPECT_STREQ(failure.message, "cannot open or read the file");
    EXPECT_TRUE(actor.IsLoaded());
    EXPECT_EQ(actor.jointCount, 2);
    // A folder is no mesh file.
    EXPECT_FALSE(actor.LoadMesh(folder.MakeSubfolder("dir.md5mesh").c_str()));
    EXPECT_EQ(actor.jointCount, 2);
}

TEST(MeshReaderTest, ReloadingReplacesTheModel) {
    TempFolder folder;
    Actor actor;
    ASSERT_TRUE(actor.LoadMesh(folder.Write("rig.md5mesh", brmath_test::kRigMesh).c_str()));
    ASSERT_TRUE(actor.LoadMesh(folder.Write("rig2.md5mesh", brmath_test::ReplaceOnce(brmath_test::kRigMesh, "\"hip\"", "\"knee\"")).c_str()));
    EXPECT_STREQ(actor.joints[1].name, "knee");
    EXPECT_EQ(actor.meshCount, 1);
}

TEST(MeshReaderTest, VerticesNoTriangleUsesHaveZeroTangentFrames) {
    std::string text = brmath_test::ReplaceOnce(brmath_test::kRigMesh, "numverts 3", "numverts 4");
    text = brmath_test::ReplaceOnce(text, "vert 2 ( 0 1 ) 2 2", "vert 2 ( 0 1 ) 2 2\n\tvert 3 ( 1 1 ) 0 1");
    TempFolder folder;
    Actor actor;
    ASSERT_TRUE(actor.LoadMesh(folder.Write("rig.md5mesh", text).c_str()));
    const brmath::MeshVertex& unused = actor.meshes[0].vertices[3];
    EXPECT_VEC3_EQ(unused.normal, 0.0f, 0.0f, 0.0f);
    EXPECT_VEC3_EQ(unused.tangent, 0.0f, 0.0f, 0.0f);
    EXPECT_VEC3_EQ(unused.bitangent, 0.0f, 0.0f, 0.0f);
    EXPECT_VEC3_EQ(unused.tangentNormal, 0.0f, 0.0f, 0.0f);
}

TEST(MeshReaderTest, ListsTheTrianglesWhoseTangentFramesVerticesKeep) {
    // Triangle 0 shares all its corners with triangle 1, which comes later: only the
    // frames of triangles 1 and 2 survive. No triangle uses vertex 4.
    std::string text = brmath_test::ReplaceOnce(brmath_test::kRigMesh, "numverts 3", "numverts 5");
    text = brmath_test::ReplaceOnce(text, "vert 2 ( 0 1 ) 2 2",
                                    "vert 2 ( 0 1 ) 2 2\n\tvert 3 ( 1 1 ) 0 1\n\tvert 4 ( 1 0 ) 0 1");
    text = brmath_test::ReplaceOnce(text, "numtris 1\n\ttri 0 0 1 2", "numtris 3\n\ttri 0 0 1 2\n\ttri 1 2 1 0\n\ttri 2 3 1 2");
    TempFolder folder;
    Actor actor;
    ASSERT_TRUE(actor.LoadMesh(folder.Write("rig.md5mesh", text).c_str()));
    brmath::PreparedMesh prepared;
    ASSERT_TRUE(brmath::PrepareMesh(actor.meshes[0], prepared));
    EXPECT_TRUE(brmath::PreparedFor(prepared, actor.meshes[0]));
    // Run on to a whole eight with the last.
    ASSERT_EQ(prepared.frameTriangleCount, 2);
    const int32_t list[] = {1, 2, 2, 2, 2, 2, 2, 2};
    for (int f = 0; f < 8; ++f) EXPECT_EQ(prepared.frameTriangles[f], list[f]);
    // Each vertex's place in that list: vertex 0 last appears in triangle 1.
    const int32_t slots[] = {0, 1, 1, 1, -1};
    for (int v = 0; v < 5; ++v) EXPECT_EQ(prepared.frameSlots[v], slots[v]) << "vertex " << v;
    brmath::ReleasePreparedMesh(prepared);
}
