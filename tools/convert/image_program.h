#pragma once

// A material's image arguments: an image file by the game's name, or an image program
// over others. heightmap and addnormals are built; any other program stands for its
// first image, and is named so that a warning can say it was not built.
#include <string>
#include <vector>

#include "decl_lexer.h"
#include "file_set.h"
#include "texture_image.h"

namespace convert {

// The deepest image programs nest.
constexpr int kProgramDepthLimit = 8;

struct ImageExpr {
    std::string name;  // the file, or the program (lower-case)
    bool program = false;
    std::vector<ImageExpr> images;  // a program's image arguments, in order
    std::vector<float> numbers;     // and its numbers
    // As a material writes it: "heightmap(models/imp_h, 4)".
    std::string Text() const;
};

// Reads an image argument starting at t[*at], leaving *at past it; false with why.
bool ParseImage(const std::vector<Token>& t, size_t* at, ImageExpr* image, std::string* why, int depth = 0);

// The image file the game loads for a name: the name as written, then with .tga, .png
// and .jpg in place of its extension; empty when none is there. *dds says that only a
// .dds copy is (a format not read).
std::string FindGameImage(FileSet& files, const std::string& name, std::string* dds);

struct ImageBuild {
    RgbaImage image;
    bool built = false;
    std::vector<std::string> notBuilt;  // programs that stood for their first image
    std::vector<std::string> missing;   // image files not found, and why
};

// The pixels of an image argument.
ImageBuild BuildImage(FileSet& files, const ImageExpr& image);

// A normal map from a height image (heightmap's work), `scale` as the material gives it.
RgbaImage HeightToNormals(const RgbaImage& heights, float scale);
// Two normal maps added (addnormals' work): b resampled to a's size.
RgbaImage AddNormals(const RgbaImage& a, const RgbaImage& b);

}  // namespace convert
