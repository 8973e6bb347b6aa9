#pragma once

// The words messages share, so that every conversion and command says a thing one way.
#include <cmath>
#include <cstdio>
#include <string>

namespace convert {

// "1 mesh", "2 meshes": a count with its noun in the right number.
inline std::string Counted(long long count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// A distance as a share of the model's size, with significant digits ("3.1e-05 of
// the model's size"); empty when it is below what a float holds at that size.
inline std::string OfTheModelsSize(double distance, double size) {
    if (!(size > 0) || !(distance > size * 6e-8)) return "";
    char text[64];
    std::snprintf(text, sizeof(text), "%.2g of the model's size", distance / size);
    return text;
}

// A number with significant digits only: 2, 0.5, 1.25e-07.
inline std::string Shortly(double value) {
    char text[32];
    std::snprintf(text, sizeof(text), "%.3g", value);
    return text;
}

// "no clip 5 (its clips are 0 to 2)", for a clip asked for by number.
inline std::string NoClipText(long long clip, int clips) {
    return "no clip " + std::to_string(clip) + " (" +
           (clips == 0 ? std::string("it has no clips") : "its clips are 0 to " + std::to_string(clips - 1)) + ")";
}

}  // namespace convert
