#include "clip_split.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/allocation.h"

namespace convert {

namespace {

// A copy of `source` that plays its keys from `first` on, `count` of them.
bool CutRun(const brmath::Animation& source, const FrameSequence& run, brmath::Animation* cut) {
    std::memset(cut, 0, sizeof(*cut));
    std::snprintf(cut->name, sizeof(cut->name), "%s", run.name.c_str());
    cut->frameRate = kQuakeFrameRate;
    cut->frameCount = source.frameCount > 0 ? run.count : 0;
    cut->tracks = brmath::AllocateArray<brmath::AnimTrack>(source.trackCount);
    if (source.trackCount > 0 && cut->tracks == nullptr) return false;
    cut->trackCount = source.trackCount;
    for (int t = 0; t < source.trackCount; ++t) {
        brmath::AnimTrack& track = cut->tracks[t];
        track = source.tracks[t];
        track.keys = nullptr;
        if (source.tracks[t].keys == nullptr || cut->frameCount == 0) continue;
        track.keys = brmath::AllocateArray<brmath::AnimKey>(cut->frameCount);
        if (track.keys == nullptr) return false;
        for (int f = 0; f < cut->frameCount; ++f) {
            track.keys[f] = source.tracks[t].keys[(run.first + f) % source.frameCount];
        }
    }
    return true;
}

}  // namespace

bool SplitClip(brmath::ModelRecords& model, int clip, const std::vector<FrameSequence>& runs, const std::string& file,
               Diagnostics* warnings) {
    if (clip < 0 || clip >= model.animationCount || runs.empty()) return false;
    const brmath::Animation& source = model.animations[clip];
    const int named = runs.back().first + runs.back().count;
    const int count = model.animationCount - 1 + static_cast<int>(runs.size());
    brmath::Animation* clips = brmath::AllocateArray<brmath::Animation>(count);
    if (clips == nullptr) return false;
    std::memset(clips, 0, sizeof(brmath::Animation) * static_cast<size_t>(count));
    bool cut = true;
    for (size_t r = 0; r < runs.size() && cut; ++r) cut = CutRun(source, runs[r], &clips[clip + static_cast<int>(r)]);
    if (!cut) {
        for (size_t r = 0; r < runs.size(); ++r) brmath::ReleaseAnimation(clips[clip + static_cast<int>(r)]);
        brmath::FreeBytes(clips);
        return false;
    }
    if (named > source.frameCount) {
        warnings->push_back(Warning(file, "names " + std::to_string(named) + " frames and the clip has " +
                                              std::to_string(source.frameCount) + "; frames past its end wrap to its start"));
    } else if (named < source.frameCount) {
        warnings->push_back(Warning(file, "names " + std::to_string(named) + " frames and the clip has " +
                                              std::to_string(source.frameCount) + "; the frames past them are left out"));
    }
    std::copy(model.animations, model.animations + clip, clips);
    std::copy(model.animations + clip + 1, model.animations + model.animationCount, clips + clip + static_cast<int>(runs.size()));
    brmath::ReleaseAnimation(model.animations[clip]);
    brmath::FreeBytes(model.animations);
    model.animations = clips;
    model.animationCount = count;
    return true;
}

}  // namespace convert
