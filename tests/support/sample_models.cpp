#include "support/sample_models.h"

#include <sstream>
#include <stdexcept>

namespace brmath_test {

std::string ReplaceOnce(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    if (at == std::string::npos) throw std::invalid_argument("no \"" + from + "\" in the text");
    text.replace(at, from.size(), to);
    return text;
}

std::string MakeLinearClip(int frames) {
    std::ostringstream text;
    text << "MD5Version 10\ncommandline \"\"\n\nnumFrames " << frames
         << "\nnumJoints 2\nframeRate 30\nnumAnimatedComponents 2\n\nhierarchy {\n"
         << "\t\"origin\"\t-1 1 0\n\t\"hip\"\t0 4 1\n}\n\nbounds {\n";
    for (int f = 0; f < frames; ++f) text << "\t( 0 0 0 ) ( 1 1 1 )\n";
    text << "}\n\nbaseframe {\n\t( 0 0 0 ) ( 0 0 0 )\n\t( 0 1 0 ) ( 0 0 0 )\n}\n\n";
    for (int f = 0; f < frames; ++f) text << "frame " << f << " {\n\t" << f << " " << f << "\n}\n\n";
    return text.str();
}

}  // namespace brmath_test
