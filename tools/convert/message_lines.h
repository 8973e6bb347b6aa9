#pragma once

#include <sstream>
#include <string>
#include <vector>

namespace convert {

// What a conversion wrote to its message stream, a message a line.
inline std::vector<std::string> MessageLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return lines;
}

// A conversion's result with its status and the messages it wrote, a line each.
template <typename Result>
Result Finished(Result result, int status, const std::string& messages) {
    result.status = status;
    result.messages = MessageLines(messages);
    return result;
}

}  // namespace convert
