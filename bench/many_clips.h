#pragma once

// The sample robot with 24 clips (its three, eight times over): a model whose
// conversions grow with its clips, written once a run into a temporary folder.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace brmath_bench {

class ManyClipRobot {
public:
    ManyClipRobot() {
        namespace fs = std::filesystem;
        folder_ = fs::temp_directory_path() / ("brmath-bench-many-clips-" + std::to_string(::getpid()));
        fs::create_directories(folder_);
        const fs::path sample = BRMATH_SAMPLES_DIR "/robot";
        Keep("robot.md5mesh", Read(sample / "robot.md5mesh"));
        const char* clips[] = {"idle", "walk", "wave"};
        for (int c = 0; c < 24; ++c) {
            Keep("robot_" + std::string(clips[c % 3]) + std::to_string(c / 3) + ".md5anim",
                 Read(sample / (std::string(clips[c % 3]) + ".md5anim")));
        }
    }
    ~ManyClipRobot() {
        std::error_code code;
        std::filesystem::remove_all(folder_, code);
    }
    std::string Mesh() const { return (folder_ / "robot.md5mesh").string(); }
    std::string Folder() const { return folder_.string(); }
    // Every file's name (in the folder) and bytes.
    const std::vector<std::pair<std::string, std::string>>& Files() const { return files_; }

private:
    static std::string Read(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void Keep(const std::string& name, const std::string& bytes) {
        std::ofstream(folder_ / name, std::ios::binary) << bytes;
        files_.emplace_back(name, bytes);
    }

    std::filesystem::path folder_;
    std::vector<std::pair<std::string, std::string>> files_;
};

inline const ManyClipRobot& TheManyClipRobot() {
    static const ManyClipRobot robot;
    return robot;
}

}  // namespace brmath_bench
