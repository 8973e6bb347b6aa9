#pragma once

#include <cstddef>

namespace brmath {

class TextFile;

// Why a reader rejected a file and where: the line (1-based; 0 when the file never
// opened) and a message that says what was expected and what was found.
struct ReadFailure {
    int line = 0;
    char message[256] = "";
};

// Records that `expected` was not found at the file's position (the text there is
// quoted as what was found). Returns false so that readers can return its result.
bool Reject(ReadFailure* failure, const TextFile& file, const char* expected);
// Same, at a given position of the file.
bool RejectAt(ReadFailure* failure, const TextFile& file, size_t position, const char* expected);
// Records a failure with a free message (printf format) at a line.
bool RejectWith(ReadFailure* failure, int line, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;

}  // namespace brmath
