#include "md5/text_file.h"

#include <cstring>

#include "base/allocation.h"

namespace brmath {

TextFile::~TextFile() { FreeBytes(data_); }

bool TextFile::Open(const char* path, FileSource& source) {
    char* data = nullptr;
    size_t size = 0;
    if (!source.ReadWhole(path, &data, &size)) return false;
    FreeBytes(data_);
    data_ = data;
    size_ = size;
    countedTo_ = 0;
    countedLine_ = 1;
    position_ = 0;
    TranslateLineBreaks();
    return true;
}

bool TextFile::OpenText(const char* text, size_t size) {
    char* data = static_cast<char*>(AllocateBytes(size + 1));
    if (data == nullptr) return false;
    if (size != 0) std::memcpy(data, text, size);
    data[size] = '\0';
    FreeBytes(data_);
    data_ = data;
    size_ = size;
    countedTo_ = 0;
    countedLine_ = 1;
    position_ = 0;
    TranslateLineBreaks();
    return true;
}

void TextFile::TranslateLineBreaks() {
    char* cr = static_cast<char*>(std::memchr(data_, '\r', size_));
    if (cr == nullptr) return;
    size_t out = static_cast<size_t>(cr - data_);
    for (size_t in = out; in < size_; ++in) {
        if (data_[in] == '\r' && in + 1 < size_ && data_[in + 1] == '\n') continue;
        data_[out++] = data_[in];
    }
    size_ = out;
    data_[size_] = '\0';
}

void TextFile::Seek(int64_t offset) {
    const int64_t target = static_cast<int64_t>(position_) + offset;
    if (target < 0) return;
    position_ = static_cast<size_t>(target);
}

int TextFile::LineAt(size_t position) const {
    if (position > size_) position = size_;
    if (position < countedTo_) {
        countedTo_ = 0;
        countedLine_ = 1;
    }
    int line = countedLine_;
    for (const char* p = data_ + countedTo_; p != nullptr && p < data_ + position;) {
        p = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(data_ + position - p)));
        if (p == nullptr) break;
        ++line;
        ++p;
    }
    countedTo_ = position;
    countedLine_ = line;
    return line;
}

}  // namespace brmath
