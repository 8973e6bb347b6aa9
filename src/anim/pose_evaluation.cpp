#include "anim/pose_evaluation.h"

namespace brmath {

void PoseClipFrame(const Animation& clip, int32_t frame) {
    // The frame number wraps into the clip, negative numbers too (-1 is the last key).
    // A clip without frames shows its base frame.
    int32_t key = -1;
    if (clip.frameCount > 0) {
        key = frame % clip.frameCount;
        if (key < 0) key += clip.frameCount;
    }
    for (int32_t t = 0; t < clip.trackCount; ++t) {
        const AnimTrack& track = clip.tracks[t];
        if (track.joint == nullptr) continue;  // its name matched no joint
        Vector3 position(track.basePosition);
        Quaternion orientation(track.baseOrientation);
        if (track.flags != 0 && key >= 0) {
            position.Set(track.keys[key].position);
            orientation.Set(track.keys[key].orientation);
        }
        const Matrix4 translation = Matrix4::Translation(position);
        const Matrix4 rotation = orientation.ToMatrix();
        track.joint->matrix.Set(translation * rotation);
        if (track.parent != nullptr) track.joint->matrix *= track.parent->matrix;
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
