// Reading a .md5mesh file's text into model records.
#include "md5/mesh_reader.h"

#include "base/allocation.h"
#include "md5/reader_steps.h"
#include "math/quaternion.h"

namespace brmath {

namespace {

// Lower bounds on the bytes of one record in the file, used to refuse a count the
// rest of the file cannot hold before anything is allocated for it.
constexpr int64_t kMinJointBytes = 12;
constexpr int64_t kMinMeshBytes = 32;
constexpr int64_t kMinVertexBytes = 8;
constexpr int64_t kMinTriangleBytes = 5;
constexpr int64_t kMinWeightBytes = 9;

bool OutOfMemory(ReadFailure* failure, const TextFile& file) {
    return RejectWith(failure, file.LineAt(file.Position()), "out of memory");
}

// The text of the number just read, for messages.
struct Written {
    explicit Written(const TextFile& file) { NumberJustRead(file, text, sizeof(text)); }
    char text[48];
};

// A joint record:  "name" parent ( x y z ) ( qx qy qz )  // comment
// Whatever stands between the position and the orientation's "(" is passed over.
bool ReadJoint(TextFile& file, Joint* joints, int32_t i, char* scratch, ReadFailure* failure) {
    Joint& joint = joints[i];
    if (!ReadQuoted(file, "a quoted joint name", scratch, failure)) return false;
    int32_t parentIndex = 0;
    if (!ReadInt(file, "the joint's parent index", &parentIndex, failure)) return false;
    if (parentIndex != -1 && (parentIndex < 0 || parentIndex >= i)) {
        return RejectWith(failure, file.LineAt(file.Position()),
                          "expected a parent index of -1 or an earlier joint (0 to %d), found %s", i - 1,
                          Written(file).text);
    }
    Vector3 position, orientation;
    if (!ExpectOpenParen(file, "\"(\" before the joint's position", failure) ||
        !ReadVector(file, "the joint's position", &position, failure) ||
        !SeekSymbol(file, '(', true, "\"(\" before the joint's orientation", failure) ||
        !ReadVector(file, "the joint's orientation", &orientation, failure)) {
        return false;
    }
    // Longer names are cut to 63 characters and always terminated.
    CopyStringBounded(joint.name, scratch, kJointNameSize - 1);
    joint.name[kJointNameSize - 1] = '\0';
    Quaternion rotation;
    rotation.SetFromXYZ(orientation);
    joint.matrix.Set(Matrix4::Translation(position) * rotation.ToMatrix());
    joint.parentIndex = parentIndex;
    if (parentIndex == -1) {
        CopyStringBounded(joint.parentName, "none", kJointNameSize);
        joint.parent = nullptr;
    } else {
        Joint& parent = joints[parentIndex];
        CopyStringBounded(joint.parentName, parent.name, kJointNameSize);
        const int32_t before = parent.childCount;
        AddChild(&parent, &joint);
        if (parent.childCount == before) return OutOfMemory(failure, file);
        joint.parent = &parent;
    }
    joint.index = i;
    joint.children = nullptr;
    joint.childCount = 0;
    return true;
}

// A vertex record:  vert N ( u v ) firstWeight weightCount
BRMATH_READ_STEP bool ReadVertex(TextFile& file, MeshVertex& vertex, ReadFailure* failure) {
    float u = 0.0f, t = 0.0f;
    if (!SkipRecordWord(file, "\"vert\"", failure) || !SkipRecordWord(file, "the vertex number", failure) ||
        !ExpectOpenParen(file, "\"(\"", failure) || !ReadFloat(file, "the texture coordinate u", &u, failure) ||
        !ReadFloat(file, "the texture coordinate v", &t, failure) || !ExpectCloseParen(file, "\")\"", failure) ||
        !ReadInt(file, "the vertex's first weight", &vertex.weightStart, failure) ||
        !ReadInt(file, "the vertex's weight count", &vertex.weightCount, failure)) {
        return false;
    }
    vertex.texCoord = Vector2(u, -t);
    return true;
}

// Records past a count are not read; say so.
void NotePastCount(TextFile& file, const char* word, const char* count, int32_t declared, const FileNotes& notes) {
    if (notes.Wanted() && NextIsWord(file, word)) {
        SkipSpace(file);
        notes.Note(Notice::kPastDeclaredCount, file.LineAt(file.Position()), "more \"%s\" records than %s %d: the rest are not read", word, count,
                   declared);
    }
}

// Where each vertex record of a mesh starts, kept while the mesh is read: a vertex's
// weights can be checked only once the weights are read, and a fault names its line.
// A plain struct freed by its reader: a destructor here would give every failure path
// of the record loops a cleanup, and the loops lose a sixth of their speed to it.
struct VertexRecords {
    size_t* starts = nullptr;
};

bool ReadVertices(TextFile& file, Mesh& mesh, VertexRecords& records, const FileNotes& notes,
                  ReadFailure* failure) {
    if (!SeekRequired(file, "numverts", notes, failure) ||
        !ReadCount(file, "vertex count", kMinVertexBytes, &mesh.vertexCount, failure)) {
        return false;
    }
    mesh.vertices = AllocateArray<MeshVertex>(mesh.vertexCount);
    records.starts = AllocateArray<size_t>(mesh.vertexCount);
    if (mesh.vertexCount > 0 && (mesh.vertices == nullptr || records.starts == nullptr)) {
        mesh.vertexCount = 0;
        return OutOfMemory(failure, file);
    }
    for (int32_t v = 0; v < mesh.vertexCount; ++v) {
        // Start from zero: a vertex no triangle uses never gets a tangent frame written,
        // and must not show the host whatever the memory held.
        mesh.vertices[v] = MeshVertex{};
        SkipSpace(file);
        records.starts[v] = file.Position();
        if (!ReadVertex(file, mesh.vertices[v], failure)) return false;
    }
    NotePastCount(file, "vert", "numverts", mesh.vertexCount, notes);
    return true;
}

// A triangle record:  tri N a b c
bool ReadTriangles(TextFile& file, Mesh& mesh, const FileNotes& notes, ReadFailure* failure) {
    if (!SeekRequired(file, "numtris", notes, failure) ||
        !ReadCount(file, "triangle count", kMinTriangleBytes, &mesh.triangleCount, failure)) {
        return false;
    }
    mesh.triangles = AllocateArray<MeshTriangle>(mesh.triangleCount);
    if (mesh.triangleCount > 0 && mesh.triangles == nullptr) {
        mesh.triangleCount = 0;
        return OutOfMemory(failure, file);
    }
    for (int32_t t = 0; t < mesh.triangleCount; ++t) {
        MeshTriangle& triangle = mesh.triangles[t];
        if (!SkipRecordWord(file, "\"tri\"", failure) || !SkipRecordWord(file, "the triangle number", failure)) {
            return false;
        }
        for (int corner = 0; corner < 3; ++corner) {
            int32_t& index = triangle.indices[corner];
            if (!ReadInt(file, "a vertex index", &index, failure)) return false;
            if (index < 0 || index >= mesh.vertexCount) {
                return RejectWith(failure, file.LineAt(file.Position()), "expected a vertex index from 0 to %d, found %s",
                                  mesh.vertexCount - 1, Written(file).text);
            }
        }
    }
    NotePastCount(file, "tri", "numtris", mesh.triangleCount, notes);
    return true;
}

// A weight record:  weight N joint bias ( x y z )
bool ReadWeights(TextFile& file, Mesh& mesh, int32_t jointCount, const FileNotes& notes, ReadFailure* failure) {
    if (!SeekRequired(file, "numweights", notes, failure) ||
        !ReadCount(file, "weight count", kMinWeightBytes, &mesh.weightCount, failure)) {
        return false;
    }
    mesh.weights = AllocateArray<MeshWeight>(mesh.weightCount);
    if (mesh.weightCount > 0 && mesh.weights == nullptr) {
        mesh.weightCount = 0;
        return OutOfMemory(failure, file);
    }
    for (int32_t w = 0; w < mesh.weightCount; ++w) {
        MeshWeight& weight = mesh.weights[w];
        if (!SkipRecordWord(file, "\"weight\"", failure) || !SkipRecordWord(file, "the weight number", failure) ||
            !ReadInt(file, "the weight's joint index", &weight.joint, failure)) {
            return false;
        }
        if (weight.joint < 0 || weight.joint >= jointCount) {
            return RejectWith(failure, file.LineAt(file.Position()), "expected a joint index from 0 to %d, found %s",
                              jointCount - 1, Written(file).text);
        }
        if (!ReadFloat(file, "the weight's bias", &weight.bias, failure) || !ExpectOpenParen(file, "\"(\"", failure) ||
            !ReadVector(file, "the weight's position", &weight.position, failure) ||
            !ExpectCloseParen(file, "\")\"", failure)) {
            return false;
        }
    }
    NotePastCount(file, "weight", "numweights", mesh.weightCount, notes);
    return true;
}

// Every vertex's weights must lie inside its mesh's weight array; checked once the
// mesh's weights are read.
bool CheckWeightRanges(const TextFile& file, const VertexRecords& records, const Mesh& mesh, int32_t meshIndex,
                       ReadFailure* failure) {
    for (int32_t v = 0; v < mesh.vertexCount; ++v) {
        const MeshVertex& vertex = mesh.vertices[v];
        const int64_t end = static_cast<int64_t>(vertex.weightStart) + vertex.weightCount;
        if (vertex.weightStart < 0 || vertex.weightCount < 0 || end > mesh.weightCount) {
            return RejectWith(failure, file.LineAt(records.starts[v]),
                              "expected the weights of vertex %d of mesh %d within its %d weights, found weights %d "
                              "to %lld",
                              v, meshIndex, mesh.weightCount, vertex.weightStart, static_cast<long long>(end) - 1);
        }
    }
    return true;
}

// Kept out of ReadModel: inlined there, its record loops compile to 8% more instructions.
__attribute__((noinline)) bool ReadMesh(TextFile& file, Mesh& mesh, int32_t meshIndex, int32_t jointCount, char* scratch,
              const FileNotes& notes, ReadFailure* failure) {
    if (!SeekRequired(file, "mesh", notes, failure) || !SeekRequired(file, "shader", notes, failure) ||
        !ReadQuoted(file, "the quoted shader name", scratch, failure)) {
        return false;
    }
    CopyStringBounded(mesh.shader, scratch, kShaderSize);
    mesh.texture = -1;
    mesh.localTexture = -1;
    VertexRecords records;
    const bool read = ReadVertices(file, mesh, records, notes, failure) && ReadTriangles(file, mesh, notes, failure) &&
                      ReadWeights(file, mesh, jointCount, notes, failure) &&
                      CheckWeightRanges(file, records, mesh, meshIndex, failure);
    FreeBytes(records.starts);
    return read;
}

bool ReadModel(TextFile& file, ModelRecords& model, const FileNotes& notes, ReadFailure* failure) {
    char* scratch = static_cast<char*>(AllocateBytes(kTextBufferSize));
    if (scratch == nullptr) return OutOfMemory(failure, file);
    bool ok = SeekRequired(file, "numJoints", notes, failure) &&
              ReadCount(file, "joint count", kMinJointBytes, &model.jointCount, failure) &&
              SeekRequired(file, "numMeshes", notes, failure) &&
              ReadCount(file, "mesh count", kMinMeshBytes, &model.meshCount, failure) &&
              SeekRequired(file, "joints", notes, failure);
    if (ok) {
        model.joints = AllocateArray<Joint>(model.jointCount);
        if (model.jointCount > 0 && model.joints == nullptr) {
            model.jointCount = 0;
            ok = OutOfMemory(failure, file);
        }
        // Child lists grow while later joints are read: start them all empty.
        for (int32_t i = 0; ok && i < model.jointCount; ++i) {
            model.joints[i].children = nullptr;
            model.joints[i].childCount = 0;
        }
        for (int32_t i = 0; ok && i < model.jointCount; ++i) ok = ReadJoint(file, model.joints, i, scratch, failure);
        // A quoted name before the list's "}" is one more joint record.
        if (ok && notes.Wanted() && NextIsSymbol(file, '"')) {
            SkipSpace(file);
            notes.Note(Notice::kPastDeclaredCount, file.LineAt(file.Position()), "more joint records than numJoints %d: the rest are not read",
                       model.jointCount);
        }
    }
    if (ok) {
        model.meshes = AllocateArray<Mesh>(model.meshCount);
        if (model.meshCount > 0 && model.meshes == nullptr) {
            model.meshCount = 0;
            ok = OutOfMemory(failure, file);
        }
        for (int32_t m = 0; ok && m < model.meshCount; ++m) {
            Mesh& mesh = model.meshes[m];
            mesh.vertices = nullptr;
            mesh.vertexCount = 0;
            mesh.triangles = nullptr;
            mesh.triangleCount = 0;
            mesh.weights = nullptr;
            mesh.weightCount = 0;
        }
        for (int32_t m = 0; ok && m < model.meshCount; ++m) {
            ok = ReadMesh(file, model.meshes[m], m, model.jointCount, scratch, notes, failure);
        }
        if (ok) NoteBlocksPastCount(file, "mesh", false, "numMeshes", model.meshCount, notes);
    }
    FreeBytes(scratch);
    return ok;
}

}  // namespace

bool ReadMeshText(TextFile& file, ModelRecords& model, const FileNotes& notes, ReadFailure* failure) {
    if (ReadModel(file, model, notes, failure)) {
        NoteOtherVersion(file, notes);
        return true;
    }
    ExplainVersion(file, "mesh", "numJoints", failure);
    return false;
}

}  // namespace brmath
