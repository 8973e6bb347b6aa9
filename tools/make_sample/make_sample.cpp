// Writes the bundled sample: a jointed robot of 23 joints in two meshes, with three
// clips of different lengths (idle, walk, wave). Usage: make_sample OUTPUT_FOLDER
//
// The robot stands on the xy plane with z up, facing -y; every joint's bind
// orientation is the identity, so a weight's position is the vertex's offset from its
// joint. Clip keys are rotations relative to the parent joint.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Vec {
    double x, y, z;
};
Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec operator*(Vec a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double Dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec Cross(Vec a, Vec b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
Vec Unit(Vec a) { return a * (1.0 / std::sqrt(Dot(a, a))); }

struct Joint {
    const char* name;
    int parent;
    Vec position;  // in model space, bind pose
};

const std::vector<Joint> kJoints = {
    {"origin", -1, {0, 0, 0}},          {"pelvis", 0, {0, 0, 9.5}},         {"spine", 1, {0, 0, 11.2}},
    {"chest", 2, {0, 0, 13}},           {"neck", 3, {0, 0, 15.4}},          {"head", 4, {0, 0, 16.2}},
    {"l_shoulder", 3, {1.5, 0, 14.9}},  {"l_upperarm", 6, {2.5, 0, 14.9}},  {"l_forearm", 7, {2.5, 0, 12.3}},
    {"l_hand", 8, {2.5, 0, 9.9}},       {"r_shoulder", 3, {-1.5, 0, 14.9}}, {"r_upperarm", 10, {-2.5, 0, 14.9}},
    {"r_forearm", 11, {-2.5, 0, 12.3}}, {"r_hand", 12, {-2.5, 0, 9.9}},     {"l_thigh", 1, {1.0, 0, 9.0}},
    {"l_shin", 14, {1.0, 0, 5.0}},      {"l_foot", 15, {1.0, 0, 1.0}},      {"l_toe", 16, {1.0, -1.4, 0.3}},
    {"r_thigh", 1, {-1.0, 0, 9.0}},     {"r_shin", 18, {-1.0, 0, 5.0}},     {"r_foot", 19, {-1.0, 0, 1.0}},
    {"r_toe", 20, {-1.0, -1.4, 0.3}},   {"antenna", 5, {0, 0, 18.6}},
};

int JointIndex(const std::string& name) {
    for (size_t i = 0; i < kJoints.size(); ++i) {
        if (name == kJoints[i].name) return static_cast<int>(i);
    }
    std::fprintf(stderr, "no joint %s\n", name.c_str());
    return 0;
}

struct Weight {
    int joint;
    double bias;
    Vec offset;
};

struct Vertex {
    double u, v;
    int firstWeight, weightCount;
};

struct Mesh {
    std::string shader;
    std::vector<Vertex> vertices;
    std::vector<int> triangles;  // three indices each
    std::vector<Weight> weights;

    // A closed ellipsoidal part between points a and b (half-width `radius`), bound to
    // `joint`, or blended towards `blendJoint` along its length when that is set.
    void AddPart(Vec a, Vec b, double radius, double flatten, int joint, int blendJoint = -1) {
        const int rings = 12, segments = 16;
        const Vec axis = b - a;
        const double halfLength = std::sqrt(Dot(axis, axis)) / 2 + radius * 0.35;
        const Vec center = (a + b) * 0.5;
        const Vec along = Unit(axis);
        const Vec helper = std::fabs(along.z) > 0.9 ? Vec{0, 1, 0} : Vec{0, 0, 1};
        const Vec side = Unit(Cross(helper, along));
        const Vec front = Cross(along, side);
        const int base = static_cast<int>(vertices.size());
        // Rings from one pole to the other; a seam column repeats so that u runs 0 to 1.
        for (int r = 0; r <= rings; ++r) {
            const double theta = kPi * r / rings;
            for (int s = 0; s <= segments; ++s) {
                const double phi = 2 * kPi * s / segments;
                const Vec point = center + along * (-std::cos(theta) * halfLength) +
                                  side * (std::sin(theta) * radius * std::cos(phi)) +
                                  front * (std::sin(theta) * radius * flatten * std::sin(phi));
                Vertex vertex{static_cast<double>(s) / segments, static_cast<double>(r) / rings,
                              static_cast<int>(weights.size()), 1};
                if (blendJoint < 0) {
                    weights.push_back({joint, 1.0, point - kJoints[joint].position});
                } else {
                    const double t = std::min(1.0, std::max(0.0, (r / double(rings) - 0.3) / 0.5));
                    weights.push_back({joint, 1.0 - t, point - kJoints[joint].position});
                    weights.push_back({blendJoint, t, point - kJoints[blendJoint].position});
                    vertex.weightCount = 2;
                }
                vertices.push_back(vertex);
            }
        }
        const int row = segments + 1;
        for (int r = 0; r < rings; ++r) {
            for (int s = 0; s < segments; ++s) {
                const int i0 = base + r * row + s, i1 = i0 + 1, i2 = i0 + row, i3 = i2 + 1;
                // Wound so that (p2 - p0) x (p1 - p0), the direction of the library's face
                // normal, points outwards.
                if (r != 0) triangles.insert(triangles.end(), {i0, i2, i1});
                if (r != rings - 1) triangles.insert(triangles.end(), {i1, i2, i3});
            }
        }
    }

    void AddBone(const char* from, const char* to, double radius, double flatten = 1.0) {
        AddPart(kJoints[JointIndex(from)].position, kJoints[JointIndex(to)].position, radius, flatten, JointIndex(from));
    }
};

void WriteMesh(const std::string& path, const std::vector<Mesh>& meshes) {
    std::FILE* out = std::fopen(path.c_str(), "w");
    std::fprintf(out, "MD5Version 10\ncommandline \"make_sample: the BRMath robot\"\n\n");
    std::fprintf(out, "numJoints %zu\nnumMeshes %zu\n\njoints {\n", kJoints.size(), meshes.size());
    for (const Joint& joint : kJoints) {
        const char* parentName = joint.parent < 0 ? "" : kJoints[joint.parent].name;
        std::fprintf(out, "\t\"%s\"\t%d ( %.6f %.6f %.6f ) ( 0 0 0 )\t\t// %s\n", joint.name, joint.parent,
                     joint.position.x, joint.position.y, joint.position.z, parentName);
    }
    std::fprintf(out, "}\n");
    for (const Mesh& mesh : meshes) {
        std::fprintf(out, "\nmesh {\n\tshader \"%s\"\n\n\tnumverts %zu\n", mesh.shader.c_str(), mesh.vertices.size());
        for (size_t i = 0; i < mesh.vertices.size(); ++i) {
            const Vertex& v = mesh.vertices[i];
            std::fprintf(out, "\tvert %zu ( %.6f %.6f ) %d %d\n", i, v.u, v.v, v.firstWeight, v.weightCount);
        }
        std::fprintf(out, "\n\tnumtris %zu\n", mesh.triangles.size() / 3);
        for (size_t t = 0; t < mesh.triangles.size() / 3; ++t) {
            std::fprintf(out, "\ttri %zu %d %d %d\n", t, mesh.triangles[3 * t], mesh.triangles[3 * t + 1],
                         mesh.triangles[3 * t + 2]);
        }
        std::fprintf(out, "\n\tnumweights %zu\n", mesh.weights.size());
        for (size_t i = 0; i < mesh.weights.size(); ++i) {
            const Weight& w = mesh.weights[i];
            std::fprintf(out, "\tweight %zu %d %.6f ( %.6f %.6f %.6f )\n", i, w.joint, w.bias, w.offset.x, w.offset.y,
                         w.offset.z);
        }
        std::fprintf(out, "}\n");
    }
    std::fclose(out);
}

// A rotation about a unit axis by an angle in degrees, as a quaternion with w >= 0.
struct Rotation {
    double x = 0, y = 0, z = 0, w = 1;
};

Rotation AxisAngle(Vec axis, double degrees) {
    const double half = degrees * kPi / 360;
    return {axis.x * std::sin(half), axis.y * std::sin(half), axis.z * std::sin(half), std::cos(half)};
}

Rotation operator*(Rotation p, Rotation q) {
    return {p.w * q.x + p.x * q.w + p.y * q.z - p.z * q.y, p.w * q.y + p.y * q.w + p.z * q.x - p.x * q.z,
            p.w * q.z + p.z * q.w + p.x * q.y - p.y * q.x, p.w * q.w - p.x * q.x - p.y * q.y - p.z * q.z};
}

// A clip's pose of one frame: a local rotation per joint and an offset of the root.
struct Pose {
    std::vector<Rotation> rotations = std::vector<Rotation>(kJoints.size());
    Vec pelvisOffset{0, 0, 0};
    void Turn(const char* joint, Vec axis, double degrees) {
        Rotation& r = rotations[JointIndex(joint)];
        r = r * AxisAngle(axis, degrees);
    }
};

const Vec kSideways{1, 0, 0};  // swinging forwards and back
const Vec kForwards{0, 1, 0};  // raising sideways
const Vec kUp{0, 0, 1};        // turning

Pose Idle(double t) {  // t in 0..1: looking around, shifting weight, swinging the arms
    Pose pose;
    const double turn = std::sin(2 * kPi * t);
    const double breath = std::sin(4 * kPi * t);
    pose.pelvisOffset.z = -0.15 + 0.12 * breath;
    pose.Turn("pelvis", kUp, -8 * turn);
    pose.Turn("chest", kUp, 16 * turn);
    pose.Turn("chest", kSideways, 3 * breath);
    pose.Turn("head", kUp, 40 * turn);
    pose.Turn("head", kSideways, -8 * breath);
    pose.Turn("l_thigh", kSideways, 10 + 6 * breath);
    pose.Turn("r_thigh", kSideways, 10 + 6 * breath);
    pose.Turn("l_shin", kSideways, -18 - 10 * breath);
    pose.Turn("r_shin", kSideways, -18 - 10 * breath);
    pose.Turn("l_foot", kSideways, 8 + 4 * breath);
    pose.Turn("r_foot", kSideways, 8 + 4 * breath);
    pose.Turn("l_upperarm", kSideways, 22 * turn);
    pose.Turn("r_upperarm", kSideways, -22 * turn);
    pose.Turn("l_upperarm", kForwards, 12);
    pose.Turn("r_upperarm", kForwards, -12);
    pose.Turn("l_forearm", kSideways, -35 - 15 * turn);
    pose.Turn("r_forearm", kSideways, -35 + 15 * turn);
    pose.Turn("antenna", kSideways, 20 * std::sin(6 * kPi * t));
    return pose;
}

Pose Walk(double t) {
    Pose pose;
    const double swing = std::sin(2 * kPi * t);
    pose.pelvisOffset.z = 0.25 * std::cos(4 * kPi * t);
    pose.Turn("pelvis", kUp, 6 * swing);
    pose.Turn("chest", kUp, -10 * swing);
    pose.Turn("l_thigh", kSideways, 32 * swing);
    pose.Turn("r_thigh", kSideways, -32 * swing);
    pose.Turn("l_shin", kSideways, -30 * (1 - std::cos(2 * kPi * t + 0.6)) / 2 - 5);
    pose.Turn("r_shin", kSideways, -30 * (1 + std::cos(2 * kPi * t + 0.6)) / 2 - 5);
    pose.Turn("l_foot", kSideways, 10 * swing);
    pose.Turn("r_foot", kSideways, -10 * swing);
    pose.Turn("l_upperarm", kSideways, -28 * swing);
    pose.Turn("r_upperarm", kSideways, 28 * swing);
    pose.Turn("l_upperarm", kForwards, 6);
    pose.Turn("r_upperarm", kForwards, -6);
    pose.Turn("l_forearm", kSideways, -20 - 10 * swing);
    pose.Turn("r_forearm", kSideways, -20 + 10 * swing);
    pose.Turn("antenna", kSideways, -15 * std::cos(4 * kPi * t));
    return pose;
}

Pose Wave(double t) {
    Pose pose;
    const double wave = std::sin(4 * kPi * t);
    pose.Turn("r_upperarm", kForwards, -150);
    pose.Turn("r_forearm", kForwards, 30 * wave - 20);
    pose.Turn("r_hand", kForwards, 15 * wave);
    pose.Turn("l_upperarm", kForwards, 8);
    pose.Turn("chest", kForwards, 4 * wave);
    pose.Turn("head", kForwards, -8 * wave);
    pose.Turn("head", kUp, -15);
    pose.Turn("antenna", kForwards, 20 * wave);
    return pose;
}

void WriteClip(const std::string& path, int frames, int frameRate, Pose (*pose)(double)) {
    std::FILE* out = std::fopen(path.c_str(), "w");
    const size_t joints = kJoints.size();
    std::fprintf(out, "MD5Version 10\ncommandline \"make_sample\"\n\nnumFrames %d\nnumJoints %zu\nframeRate %d\n"
                      "numAnimatedComponents %zu\n\nhierarchy {\n", frames, joints, frameRate, joints * 6);
    for (size_t j = 0; j < joints; ++j) {
        std::fprintf(out, "\t\"%s\"\t%d 63 %zu\n", kJoints[j].name, kJoints[j].parent, j * 6);
    }
    std::fprintf(out, "}\n\nbounds {\n");
    for (int f = 0; f < frames; ++f) std::fprintf(out, "\t( -8 -8 -1 ) ( 8 8 20 )\n");
    std::fprintf(out, "}\n\nbaseframe {\n");
    for (size_t j = 0; j < joints; ++j) {
        const Vec local = kJoints[j].parent < 0 ? kJoints[j].position
                                                : kJoints[j].position - kJoints[kJoints[j].parent].position;
        std::fprintf(out, "\t( %.6f %.6f %.6f ) ( 0 0 0 )\n", local.x, local.y, local.z);
    }
    std::fprintf(out, "}\n");
    for (int f = 0; f < frames; ++f) {
        const Pose p = pose(static_cast<double>(f) / frames);
        std::fprintf(out, "\nframe %d {\n", f);
        for (size_t j = 0; j < joints; ++j) {
            Vec local = kJoints[j].parent < 0 ? kJoints[j].position
                                              : kJoints[j].position - kJoints[kJoints[j].parent].position;
            if (std::string(kJoints[j].name) == "pelvis") local = local + p.pelvisOffset;
            Rotation r = p.rotations[j];
            if (r.w < 0) r = {-r.x, -r.y, -r.z, -r.w};
            // The reader completes w as the negative root: store the negated vector part,
            // which names the same rotation.
            std::fprintf(out, "\t%.6f %.6f %.6f %.6f %.6f %.6f\n", local.x, local.y, local.z, -r.x, -r.y, -r.z);
        }
        std::fprintf(out, "}\n");
    }
    std::fclose(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sample OUTPUT_FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];

    Mesh body;
    body.shader = "robot/body.tga";
    body.AddPart(kJoints[JointIndex("pelvis")].position + Vec{0, 0, -0.6}, kJoints[JointIndex("chest")].position,
                 1.9, 0.7, JointIndex("pelvis"), JointIndex("chest"));
    body.AddPart(kJoints[JointIndex("chest")].position, kJoints[JointIndex("neck")].position, 2.0, 0.75,
                 JointIndex("chest"));
    body.AddBone("neck", "head", 0.5);
    body.AddPart(kJoints[JointIndex("head")].position, kJoints[JointIndex("head")].position + Vec{0, 0, 2.2}, 1.3, 1.0,
                 JointIndex("head"));
    body.AddPart(kJoints[JointIndex("head")].position + Vec{0, 0, 2.0}, kJoints[JointIndex("antenna")].position, 0.12,
                 1.0, JointIndex("antenna"));

    Mesh limbs;
    limbs.shader = "robot/limbs.tga";
    for (const char* side : {"l_", "r_"}) {
        const std::string s = side;
        limbs.AddBone((s + "shoulder").c_str(), (s + "upperarm").c_str(), 0.6);
        limbs.AddBone((s + "upperarm").c_str(), (s + "forearm").c_str(), 0.55);
        limbs.AddBone((s + "forearm").c_str(), (s + "hand").c_str(), 0.5);
        limbs.AddPart(kJoints[JointIndex(s + "hand")].position, kJoints[JointIndex(s + "hand")].position + Vec{0, 0, -1.3},
                      0.45, 0.6, JointIndex(s + "hand"));
        limbs.AddBone((s + "thigh").c_str(), (s + "shin").c_str(), 0.8);
        limbs.AddBone((s + "shin").c_str(), (s + "foot").c_str(), 0.65);
        limbs.AddBone((s + "foot").c_str(), (s + "toe").c_str(), 0.55, 0.6);
    }

    WriteMesh(folder + "/robot.md5mesh", {body, limbs});
    WriteClip(folder + "/idle.md5anim", 60, 24, Idle);
    WriteClip(folder + "/walk.md5anim", 32, 24, Walk);
    WriteClip(folder + "/wave.md5anim", 48, 24, Wave);
    std::printf("%s/robot.md5mesh\n", folder.c_str());
    return 0;
}
