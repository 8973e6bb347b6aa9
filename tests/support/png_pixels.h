#pragma once

#include <string>
#include <vector>

namespace brmath_test {

// Reads a PNG as 8-bit RGB; empty when it cannot.
std::vector<unsigned char> ReadPng(const std::string& path, int* width, int* height);

// How two pictures of one size differ: the pixels that differ, and by how many levels
// at the most.
struct PictureDifference {
    int pixels = 0;
    int largest = 0;
};
PictureDifference ComparePngs(const std::string& a, const std::string& b);

}  // namespace brmath_test
