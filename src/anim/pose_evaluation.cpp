#include "anim/pose_evaluation.h"

namespace brmath {

int32_t ClipKey(const Animation& clip, int32_t frame) {
    // The frame number wraps into the clip, negative numbers too (-1 is the last key).
    if (clip.frameCount <= 0) return -1;
    const int32_t key = frame % clip.frameCount;
    return key < 0 ? key + clip.frameCount : key;
}

bool ClipPosesFromKeysAlone(const Animation& clip) {
    const Joint* previous = nullptr;
    for (int32_t t = 0; t < clip.trackCount; ++t) {
        const AnimTrack& track = clip.tracks[t];
        if (track.joint == nullptr) continue;
        if ((previous != nullptr && track.joint <= previous) ||
            (track.parent != nullptr && track.parent >= track.joint)) {
            return false;
        }
        previous = track.joint;
    }
    return true;
}

void PoseClipFrame(const Animation& clip, int32_t frame, const JointScale* scales) {
    // A clip without frames shows its base frame.
    const int32_t key = ClipKey(clip, frame);
    for (int32_t t = 0; t < clip.trackCount; ++t) {
        const AnimTrack& track = clip.tracks[t];
        if (track.joint == nullptr) continue;  // its name matched no joint
        Vector3 position(track.basePosition);
        Quaternion orientation(track.baseOrientation);
        if (track.flags != 0 && key >= 0) {
            position.Set(track.keys[key].position);
            orientation.Set(track.keys[key].orientation);
        }
        if (scales != nullptr && scales[track.joint->index].scalePositions) position *= scales[track.joint->index].scale;
        const Matrix4 translation = Matrix4::Translation(position);
        const Matrix4 rotation = orientation.ToMatrix();
        track.joint->matrix.Set(translation * rotation);
        if (track.parent != nullptr) track.joint->matrix *= track.parent->matrix;
    }
}

void ScaleJointAxes(const Joint* joints, int32_t count, const JointScale* scales, Joint* scaled) {
    for (int32_t j = 0; j < count; ++j) {
        scaled[j] = joints[j];
        const float s = scales[j].scale;
        if (s == 1.0f) continue;
        for (int row = 0; row < 12; row += 4) {
            for (int column = 0; column < 3; ++column) scaled[j].matrix.m[row + column] *= s;
        }
    }
}

void PoseBaseFrame(const Animation& clip) {
    for (int32_t t = 0; t < clip.trackCount; ++t) {
        const AnimTrack& track = clip.tracks[t];
        if (track.joint == nullptr) continue;
        track.joint->matrix.Set(Matrix4::Translation(track.basePosition) * track.baseOrientation.ToMatrix());
        if (track.parent != nullptr) track.joint->matrix *= track.parent->matrix;
    }
}

}  // namespace brmath
