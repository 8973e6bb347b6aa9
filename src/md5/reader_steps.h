#pragma once

#include <cstdint>

#include "md5/formatted_input.h"
#include "md5/read_failure.h"
#include "md5/text_file.h"
#include "md5/text_scan.h"
#include "math/vector3.h"

namespace brmath {

// The reading steps both readers share: each reads one thing and, when it cannot,
// records why in failure and returns false.

// Size of the readers' working text buffers (quoted texts, names, paths).
constexpr size_t kTextBufferSize = 1024;

bool SeekRequired(TextFile& file, const char* keyword, ReadFailure* failure);

inline bool ReadInt(TextFile& file, const char* what, int32_t* value, ReadFailure* failure) {
    return ScanInt(file, value) || Reject(failure, file, what);
}

inline bool ReadFloat(TextFile& file, const char* what, float* value, ReadFailure* failure) {
    return ScanFloat(file, value) || Reject(failure, file, what);
}

inline bool ReadVector(TextFile& file, const char* what, Vector3* value, ReadFailure* failure) {
    return ReadFloat(file, what, &value->x, failure) && ReadFloat(file, what, &value->y, failure) &&
           ReadFloat(file, what, &value->z, failure);
}

inline bool ReadToken(TextFile& file, const char* what, ReadFailure* failure) {
    return SkipToken(file) || Reject(failure, file, what);
}
// The next double-quoted text, the search for its quote included.
bool ReadQuoted(TextFile& file, const char* what, char* out, ReadFailure* failure);

// A count of records that must be non-negative and no larger than the rest of the file
// could hold at `minimumBytes` each, so that nothing is allocated for a count the file
// cannot back.
bool ReadCount(TextFile& file, const char* what, int64_t minimumBytes, int32_t* count, ReadFailure* failure);

}  // namespace brmath
