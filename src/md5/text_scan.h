#pragma once

#include <cstddef>

#include "md5/text_file.h"

namespace brmath {

// Skips to the next double quote and copies the text up to the following one into out
// (at most capacity - 1 characters, always terminated; the rest of a longer text is
// passed over). The position ends after the closing quote. False when the end of the
// file comes first: out then holds what was read.
bool ReadQuotedString(TextFile& file, char* out, size_t capacity);

// Zeroes all size bytes of field, then copies min(strlen(text), size) characters: a
// text of size or more characters leaves no terminator.
void CopyStringBounded(char* field, const char* text, unsigned size);

// Reads count characters into buffer and terminates it; -1 when the file ends first
// (buffer then holds the characters read, unterminated). buffer holds count + 1 bytes.
int ReadChars(TextFile& file, char* buffer, int count);

// Moves to just after the next occurrence of keyword at or after the position (to the
// end of the file when there is none), then by offset. Matches anywhere, also inside
// longer words. Returns whether the keyword was found.
bool SeekKeyword(TextFile& file, const char* keyword, int offset);

// Path pieces. Both separators count; out holds capacity bytes and the result is cut
// to fit, except GetPathFolder, which fails (false) rather than cut a folder.
bool GetPathFolder(const char* path, char* out, size_t capacity);
void GetPathBaseName(const char* path, char* out, size_t capacity);
// The folder whose .md5anim files belong to a mesh file: GetPathFolder's folder; "."
// for a bare file name; "" (the root, to be joined as "\name") for a name whose only
// separator leads. False when the path does not fit `capacity`.
bool GetMeshFolder(const char* path, char* out, size_t capacity);
void GetPathExtension(const char* path, char* out, size_t capacity);

}  // namespace brmath
