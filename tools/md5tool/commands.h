#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace md5tool {

// Exit statuses: 0 success, 1 bad input (a file that does not load, a clip that does
// not exist, an image that cannot be written), 2 bad usage.
constexpr int kSuccess = 0;
constexpr int kBadInput = 1;
constexpr int kBadUsage = 2;

// The whole command line (args[0] is the program name); output and errors go to the
// given streams, so that tests can run commands in process.
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

int Info(const std::string& mesh, std::ostream& out, std::ostream& err);
int Check(const std::vector<std::string>& files, std::ostream& out, std::ostream& err);

struct PoseOptions {
    std::string mesh;
    int clip = 0;
    bool clipGiven = false;
    std::vector<int> frames;
    bool json = false;
};
int Pose(const PoseOptions& options, std::ostream& out, std::ostream& err);

struct RenderOptions {
    std::string mesh;
    int clip = 0;
    bool clipGiven = false;
    int frame = 0;
    std::string frames;  // "A:B:STEP" (B excluded) for a contact sheet, or empty
    std::string size = "480x480";
    float yaw = 25.0f;
    float pitch = 12.0f;
    int supersample = 3;
    std::string output;
};
int Render(const RenderOptions& options, std::ostream& out, std::ostream& err);

// Why the library would not load a mesh file, as "FILE:LINE: MESSAGE".
std::string DescribeLoadFailure(const std::string& mesh);

}  // namespace md5tool
