#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/file_source.h"

namespace brmath {

// A text file held whole in memory with a read position, line breaks translated as
// text mode does (CR LF becomes LF), so every platform scans the same characters.
class TextFile {
public:
    TextFile() = default;
    ~TextFile();
    TextFile(const TextFile&) = delete;
    TextFile& operator=(const TextFile&) = delete;

    // False when the file does not open, cannot be read or memory runs out.
    bool Open(const char* path, FileSource& source = RealFileSystem());
    // Takes a copy of text in memory (tests and fuzzers); false when memory runs out.
    bool OpenText(const char* text, size_t size);

    const char* Data() const { return data_; }
    size_t Size() const { return size_; }
    size_t Position() const { return position_; }
    bool AtEnd() const { return position_ >= size_; }
    // What fgetc gives: the next character, or -1 at the end.
    int Get() { return position_ < size_ ? static_cast<unsigned char>(data_[position_++]) : -1; }
    int Peek() const { return position_ < size_ ? static_cast<unsigned char>(data_[position_]) : -1; }
    void Advance(size_t count) { position_ += count; }
    void MoveTo(size_t position) { position_ = position; }
    // Like fseek from the current position: a move before the start fails and changes nothing.
    void Seek(int64_t offset);
    // 1-based line of a position, for messages. Counted on from the position asked
    // before when that lies earlier, so that asking in file order takes linear time.
    int LineAt(size_t position) const;

private:
    void TranslateLineBreaks();

    char* data_ = nullptr;
    size_t size_ = 0;
    size_t position_ = 0;
    mutable size_t countedTo_ = 0;  // LineAt's last position and its line
    mutable int countedLine_ = 1;
};

}  // namespace brmath
