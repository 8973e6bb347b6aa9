#pragma once

#include <cstdint>

#include "math/quaternion.h"
#include "math/vector3.h"

namespace brmath {

struct Joint;

// The pose of one joint at one frame, orientation already completed.
struct AnimKey {
    Vector3 position;
    Quaternion orientation;
};

// One joint entry of a clip.
struct AnimTrack {
    Joint* joint;           // the joint this track drives; null when its name matched none
    Joint* parent;          // applied after the track's own transform; null for a root
    AnimKey* keys;          // frameCount keys; only animated tracks (flags != 0) have them
    Vector3 basePosition;
    Quaternion baseOrientation;
    uint8_t flags;          // component mask: bits 0-2 position x/y/z, bits 3-5 orientation x/y/z
    int32_t startIndex;
};

// One clip, read from one .md5anim file.
struct Animation {
    char name[128];
    AnimTrack* tracks;
    int32_t trackCount;
    int32_t frameCount;
    int32_t frameRate;
};

constexpr int kTrackComponents = 6;

}  // namespace brmath
