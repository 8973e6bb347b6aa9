#pragma once

#include <string>

namespace brmath_test {

// A fresh folder under the system's temporary folder, removed with everything in it
// when the object goes.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path_; }
    // The path of a file in the folder, joined with the library's own separator.
    std::string File(const std::string& name) const;
    // Writes text (bytes as given) to a file of the folder; returns its path.
    std::string Write(const std::string& name, const std::string& text) const;
    std::string MakeSubfolder(const std::string& name) const;

private:
    std::string path_;
};

// Reads a whole file as bytes.
std::string ReadFileBytes(const std::string& path);

}  // namespace brmath_test
