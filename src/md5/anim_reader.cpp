// Reading a .md5anim file's text into a clip of a skeleton.
#include "md5/anim_reader.h"

#include <algorithm>
#include <cstring>

#include "base/allocation.h"
#include "md5/reader_steps.h"

namespace brmath {

namespace {

// Lower bounds on the bytes of the file's records (see the mesh reader).
constexpr int64_t kMinTrackBytes = 8;
constexpr int64_t kMinFrameBytes = 1;

int ComponentCount(uint8_t flags) {
    int count = 0;
    for (int bit = 0; bit < kTrackComponents; ++bit) count += (flags >> bit) & 1;
    return count;
}

// Joints by name for the tracks of one file: the first joint of a name, as FindJoint
// gives it, in logarithmic time, so that a clip of many tracks over a skeleton of many
// joints reads in n log n rather than n squared.
class JointsByName {
public:
    explicit JointsByName(const ModelRecords& skeleton)
        : skeleton_(skeleton), order_(AllocateArray<int32_t>(skeleton.jointCount)) {
        if (order_ == nullptr) return;
        for (int32_t i = 0; i < skeleton.jointCount; ++i) order_[i] = i;
        std::sort(order_, order_ + skeleton.jointCount, [this](int32_t a, int32_t b) {
            const int order = std::strcmp(skeleton_.joints[a].name, skeleton_.joints[b].name);
            return order != 0 ? order < 0 : a < b;
        });
    }
    ~JointsByName() { FreeBytes(order_); }
    JointsByName(const JointsByName&) = delete;
    JointsByName& operator=(const JointsByName&) = delete;

    bool Ready() const { return order_ != nullptr || skeleton_.jointCount == 0; }
    Joint* Find(const char* name) const {
        int32_t* end = order_ + skeleton_.jointCount;
        int32_t* first = std::lower_bound(order_, end, name, [this](int32_t index, const char* key) {
            return std::strcmp(skeleton_.joints[index].name, key) < 0;
        });
        if (first == end || std::strcmp(skeleton_.joints[*first].name, name) != 0) return nullptr;
        return &skeleton_.joints[*first];
    }

private:
    const ModelRecords& skeleton_;
    int32_t* order_;
};

bool ReadHeader(TextFile& file, Animation& clip, const FileNotes& notes, ReadFailure* failure) {
    return SeekRequired(file, "numFrames", notes, failure) &&
           ReadCount(file, "frame count", kMinFrameBytes, &clip.frameCount, failure) &&
           SeekRequired(file, "numJoints", notes, failure) &&
           ReadCount(file, "joint count", kMinTrackBytes, &clip.trackCount, failure) &&
           SeekRequired(file, "frameRate", notes, failure) && ReadInt(file, "the frame rate", &clip.frameRate, failure);
}

// A hierarchy entry:  "name" parent flags startIndex  // comment
bool ReadTrackEntry(TextFile& file, const ModelRecords& skeleton, const JointsByName& joints, AnimTrack& track, char* scratch,
                    const FileNotes& notes, ReadFailure* failure) {
    int32_t parentIndex = 0, flags = 0;
    if (!ReadQuoted(file, "a quoted joint name", scratch, failure) ||
        !ReadInt(file, "the joint's parent index", &parentIndex, failure) ||
        !ReadInt(file, "the joint's component flags", &flags, failure) ||
        !ReadInt(file, "the joint's start index", &track.startIndex, failure)) {
        return false;
    }
    // A name no joint has gives a track that drives nothing; a parent outside the
    // skeleton means no parent.
    track.joint = joints.Find(scratch);
    if (track.joint == nullptr) {
        notes.Note(Notice::kTrackWithoutJoint, file.LineAt(file.Position()), "track \"%s\" names no joint of the skeleton and drives nothing",
                   scratch);
    }
    track.parent = (parentIndex >= 0 && parentIndex < skeleton.jointCount) ? &skeleton.joints[parentIndex] : nullptr;
    track.flags = static_cast<uint8_t>(flags & 0xFF);
    return true;
}

// A base-frame entry:  ( x y z ) ( qx qy qz )
bool ReadBaseFrame(TextFile& file, AnimTrack& track, ReadFailure* failure) {
    Vector3 orientation;
    if (!SeekSymbol(file, '(', true, "\"(\" before a base position", failure) ||
        !ReadVector(file, "the base position", &track.basePosition, failure) ||
        !SeekSymbol(file, '(', true, "\"(\" before a base orientation", failure) ||
        !ReadVector(file, "the base orientation", &orientation, failure)) {
        return false;
    }
    track.baseOrientation.SetFromXYZ(orientation);
    return true;
}

// A frame block:  frame N { one number per animated component, in track order }
bool ReadFrame(TextFile& file, Animation& clip, int32_t frame, ReadFailure* failure) {
    if (!SeekSymbol(file, '{', true, "\"{\" opening a frame", failure)) return false;
    for (int32_t t = 0; t < clip.trackCount; ++t) {
        AnimTrack& track = clip.tracks[t];
        if (track.flags == 0) continue;
        AnimKey& key = track.keys[frame];
        key.position.Set(track.basePosition);
        Vector3 v = track.baseOrientation.GetVector();
        float* components[kTrackComponents] = {&key.position.x, &key.position.y, &key.position.z, &v.x, &v.y, &v.z};
        for (int bit = 0; bit < kTrackComponents; ++bit) {
            if (((track.flags >> bit) & 1) != 0 && !ReadFloat(file, "an animated component", components[bit], failure)) {
                return false;
            }
        }
        key.orientation.SetFromXYZ(v);
    }
    return true;
}

bool ReadClip(TextFile& file, const ModelRecords& skeleton, Animation& clip, const FileNotes& notes,
              ReadFailure* failure) {
    if (!ReadHeader(file, clip, notes, failure)) return false;
    clip.tracks = AllocateArray<AnimTrack>(clip.trackCount);
    if (clip.trackCount > 0 && clip.tracks == nullptr) {
        clip.trackCount = 0;
        return RejectWith(failure, file.LineAt(file.Position()), "out of memory");
    }
    for (int32_t t = 0; t < clip.trackCount; ++t) {
        clip.tracks[t] = AnimTrack{};
        clip.tracks[t].keys = nullptr;
    }
    char* scratch = static_cast<char*>(AllocateBytes(kTextBufferSize));
    if (scratch == nullptr) return RejectWith(failure, file.LineAt(file.Position()), "out of memory");
    bool ok = true;
    {
        const JointsByName joints(skeleton);
        if (!joints.Ready()) ok = RejectWith(failure, file.LineAt(file.Position()), "out of memory");
        for (int32_t t = 0; ok && t < clip.trackCount; ++t) {
            ok = ReadTrackEntry(file, skeleton, joints, clip.tracks[t], scratch, notes, failure);
        }
    }
    if (ok && notes.Wanted() && NextIsSymbol(file, '"')) {
        SkipSpace(file);
        notes.Note(Notice::kPastDeclaredCount, file.LineAt(file.Position()), "more hierarchy entries than numJoints %d: the rest are not read",
                   clip.trackCount);
    }
    FreeBytes(scratch);
    if (!ok || !SeekRequired(file, "baseframe", notes, failure)) return false;
    for (int32_t t = 0; t < clip.trackCount; ++t) {
        if (!ReadBaseFrame(file, clip.tracks[t], failure)) return false;
    }

    // A frame is a "{" and one number per animated component, numbers apart by at
    // least one character: 2 bytes per component at the least, 1 without any.
    int64_t components = 0;
    for (int32_t t = 0; t < clip.trackCount; ++t) components += ComponentCount(clip.tracks[t].flags);
    const int64_t frameBytes = components > 0 ? 2 * components : 1;
    const int64_t remaining = static_cast<int64_t>(file.Size() - file.Position());
    if (clip.frameCount > remaining / frameBytes) {
        return RejectWith(failure, file.LineAt(file.Position()),
                          "expected %d frames of %lld animated components, found a file too short to hold them",
                          clip.frameCount, static_cast<long long>(components));
    }
    // Only animated tracks have keys: a static track shows its base pose at every frame.
    for (int32_t t = 0; t < clip.trackCount; ++t) {
        AnimTrack& track = clip.tracks[t];
        if (track.flags == 0 || clip.frameCount == 0) continue;
        track.keys = AllocateArray<AnimKey>(clip.frameCount);
        if (track.keys == nullptr) return RejectWith(failure, file.LineAt(file.Position()), "out of memory");
    }
    for (int32_t f = 0; f < clip.frameCount; ++f) {
        if (!ReadFrame(file, clip, f, failure)) return false;
    }
    NoteBlocksPastCount(file, "frame", true, "numFrames", clip.frameCount, notes);
    return true;
}

}  // namespace

bool ReadClipText(TextFile& file, const ModelRecords& skeleton, Animation& clip, const FileNotes& notes,
                  ReadFailure* failure) {
    if (ReadClip(file, skeleton, clip, notes, failure)) {
        NoteOtherVersion(file, notes);
        return true;
    }
    ExplainVersion(file, "animation", "numFrames", failure);
    return false;
}

}  // namespace brmath
