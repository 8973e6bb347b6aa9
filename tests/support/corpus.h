#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace brmath_test {

// The malformed-file corpus of tests/data/malformed and what each file must give.
struct CorpusEntry {
    std::string file;     // path of the file
    bool mesh;            // a mesh file, else a clip
    bool loads;           // an odd but legal file, read as the tidy file `reason` names
    std::string reason;   // a part of the reader's message, or the tidy file
    int line;
};

std::string TestDataPath(const std::string& relative);
std::vector<CorpusEntry> MalformedCorpus();

inline void PrintTo(const CorpusEntry& entry, std::ostream* out) { *out << entry.file; }

}  // namespace brmath_test
