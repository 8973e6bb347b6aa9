#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace md5tool {

// An animated PNG assembled from still PNGs of one size, as the PNG encoder writes
// them: each still's image data becomes one frame, shown for delay seconds
// (numerator / denominator), the animation looping forever. Viewers without
// animation support show the first frame.
class AnimatedPng {
public:
    AnimatedPng(uint16_t delayNumerator, uint16_t delayDenominator)
        : delayNumerator_(delayNumerator), delayDenominator_(delayDenominator) {}
    // False when `png` is not a PNG, or not of the first frame's header.
    bool AddFrame(const std::string& png);
    std::string Finish() const;

private:
    uint16_t delayNumerator_, delayDenominator_;
    std::string header_;              // the IHDR chunk's data
    std::vector<std::string> frames_;  // each frame's compressed image data
};

}  // namespace md5tool
