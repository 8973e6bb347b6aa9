#include "support/corpus.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace brmath_test {

std::string TestDataPath(const std::string& relative) { return std::string(BRMATH_TEST_DATA_DIR) + "/" + relative; }

std::vector<CorpusEntry> MalformedCorpus() {
    std::ifstream manifest(TestDataPath("malformed/expected.txt"));
    if (!manifest) throw std::runtime_error("no malformed/expected.txt");
    std::vector<CorpusEntry> entries;
    std::string line;
    while (std::getline(manifest, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string name, outcome, reason, number;
        std::getline(fields, name, '\t');
        std::getline(fields, outcome, '\t');
        std::getline(fields, reason, '\t');
        std::getline(fields, number, '\t');
        const bool loads = outcome == "load";
        const bool mesh = name.size() > 8 && name.compare(name.size() - 8, 8, ".md5mesh") == 0;
        entries.push_back({TestDataPath("malformed/" + name), mesh, loads, loads ? TestDataPath(reason) : reason,
                           std::stoi(number)});
    }
    return entries;
}

}  // namespace brmath_test
