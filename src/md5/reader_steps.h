#pragma once

#include <cstdint>

#include "md5/formatted_input.h"
#include "md5/load_report.h"
#include "md5/read_failure.h"
#include "md5/text_file.h"
#include "md5/text_scan.h"
#include "math/vector3.h"

namespace brmath {

// The reading steps both readers share: each reads one thing and, when it cannot,
// records why in failure and returns false.

// The steps that run once per number of a file are inlined into the record loops.
#define BRMATH_READ_STEP inline __attribute__((always_inline))

// Size of the readers' working text buffers (quoted texts, names, paths).
constexpr size_t kTextBufferSize = 1024;

// Moves past the next occurrence of keyword, anywhere in the text: inside a "//"
// comment or a quoted text too, which is noted.
bool SeekRequired(TextFile& file, const char* keyword, const FileNotes& notes, ReadFailure* failure);
// Moves to the next `symbol` (a quote, a parenthesis or a brace) outside "//"
// comments: with `past`, just after it, else onto it.
bool SeekSymbol(TextFile& file, char symbol, bool past, const char* what, ReadFailure* failure);

BRMATH_READ_STEP bool ReadInt(TextFile& file, const char* what, int32_t* value, ReadFailure* failure) {
    return ScanInt(file, value) || Reject(failure, file, what);
}

BRMATH_READ_STEP bool ReadFloat(TextFile& file, const char* what, float* value, ReadFailure* failure) {
    return ScanFloat(file, value) || Reject(failure, file, what);
}

BRMATH_READ_STEP bool ReadVector(TextFile& file, const char* what, Vector3* value, ReadFailure* failure) {
    return ReadFloat(file, what, &value->x, failure) && ReadFloat(file, what, &value->y, failure) &&
           ReadFloat(file, what, &value->z, failure);
}

// A word the record holds but nothing reads ("vert", a record's number).
BRMATH_READ_STEP bool SkipRecordWord(TextFile& file, const char* what, ReadFailure* failure) {
    return SkipWord(file) || Reject(failure, file, what);
}
BRMATH_READ_STEP bool ExpectOpenParen(TextFile& file, const char* what, ReadFailure* failure) {
    return SkipSymbol(file, '(') || Reject(failure, file, what);
}
BRMATH_READ_STEP bool ExpectCloseParen(TextFile& file, const char* what, ReadFailure* failure) {
    return SkipSymbol(file, ')') || Reject(failure, file, what);
}
// The next double-quoted text, the search for its quote included.
bool ReadQuoted(TextFile& file, const char* what, char* out, ReadFailure* failure);

// The text of the number just read, as the file writes it (a value too large for an
// integer is shown as written, not as the limit it was clamped to).
void NumberJustRead(const TextFile& file, char* out, size_t capacity);

// A count of records that must be non-negative and no larger than the rest of the file
// could hold at `minimumBytes` each, so that nothing is allocated for a count the file
// cannot back.
bool ReadCount(TextFile& file, const char* what, int64_t minimumBytes, int32_t* count, ReadFailure* failure);

// Whether the next word is `word`, or the next symbol `symbol`; the position stays.
bool NextIsWord(TextFile& file, const char* word);
bool NextIsSymbol(TextFile& file, char symbol);

// Notes every further block "WORD {" (numbered: "WORD N {") from the position to the
// end: blocks past the count the file declares, which are not read.
void NoteBlocksPastCount(TextFile& file, const char* word, bool numbered, const char* count, int32_t declared,
                         const FileNotes& notes);

// After a failed read: a file that is no MD5 version 10 file is refused for that
// instead. `kind` is "mesh" or "animation"; a file without a version line is refused
// for its lack only when its first keyword `firstKeyword` is missing too.
void ExplainVersion(TextFile& file, const char* kind, const char* firstKeyword, ReadFailure* failure);
// After a read that succeeded: a version line other than 10 is noted, since the file was
// read as version 10 all the same.
void NoteOtherVersion(TextFile& file, const FileNotes& notes);

}  // namespace brmath
