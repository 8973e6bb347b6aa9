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

struct InfoOptions {
    std::string mesh;
    std::vector<std::string> bases;  // game folders or .pk4 files, a later one winning
    bool strict = false;  // what was left out makes the exit status 1
};
int Info(const InfoOptions& options, std::ostream& out, std::ostream& err);

struct ListOptions {
    std::vector<std::string> bases;
    bool json = false;
};
int List(const ListOptions& options, std::ostream& out, std::ostream& err);

struct CheckOptions {
    std::vector<std::string> files;  // with bases, also models of the bases by name
    std::vector<std::string> bases;
    std::string mesh;  // the skeleton clips are read against; default: the one beside them
    std::vector<std::string> targets;  // engines whose limits the files are held to
    bool strict = false;
};
int Check(const CheckOptions& options, std::ostream& out, std::ostream& err);

struct PoseOptions {
    std::string mesh;
    int clip = 0;
    bool clipGiven = false;
    std::string clipName;  // a clip asked for by name
    std::vector<std::string> bases;
    std::vector<int> frames;
    bool json = false;
};
int Pose(const PoseOptions& options, std::ostream& out, std::ostream& err);

struct RenderOptions {
    std::string mesh;
    int clip = 0;
    bool clipGiven = false;
    std::string clipName;  // a clip asked for by name
    std::vector<std::string> bases;
    int frame = 0;
    std::string frames;  // "A:B:STEP" (B excluded) for a contact sheet, or empty
    std::string size = "480x480";
    float yaw = 25.0f;
    float pitch = 12.0f;
    int supersample = 3;
    int columns = 0;                       // of a contact sheet; 0: chosen from the frame count
    long long maxPixels = 50'000'000;      // the largest picture drawn or written
    bool progress = false;                 // frames done, on the error stream
    bool progressInPlace = false;          // rewriting one line (a terminal), else a line each
    bool apng = false;                     // one animated PNG instead of a contact sheet
    std::string output;                    // "-": standard output; a %d field: one file per frame
};
int Render(const RenderOptions& options, std::ostream& out, std::ostream& err);

struct ExportOptions {
    std::string mesh;
    std::string output;  // .glb, or .gltf (JSON, the buffer beside it unless `embed`)
    int clip = 0;
    bool clipGiven = false;  // else every clip
    std::string clipName;  // a clip asked for by name
    std::vector<std::string> bases;
    double scale = 1;        // model units to metres
    bool embed = false;
    int maxWeights = 8;      // weights a vertex, the largest kept
};
int Export(const ExportOptions& options, std::ostream& out, std::ostream& err);

struct ImportOptions {
    std::string model;   // .glb or .gltf
    std::string folder;  // where NAME.md5mesh and NAME_<animation>.md5anim go
    std::string mod;     // or a mod folder to lay the model out in, as a game does
    std::string pk4;     // or a .pk4 holding that layout
    std::string name;    // default: the model's file name, made safe
    int skin = -1;       // default: the skin with the most vertices
    bool skinGiven = false;
    int fps = 0;         // 1 to 1000; 0: the rate the keys are spaced at, else 24
    double scale = 1;    // model units a glTF metre
    std::vector<std::string> targets;  // engines the files must fit
};
int Import(const ImportOptions& options, std::ostream& out, std::ostream& err);

}  // namespace md5tool
