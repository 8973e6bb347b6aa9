#pragma once

// How a folder listing matches and orders names on every platform, so that a model's
// clips get the same numbers wherever its files come from.
#include <string>

namespace brmath {

// Whether name matches a pattern of * and ? without regard to ASCII case.
bool MatchesWildcard(const char* pattern, const char* name);

// The order of an NTFS folder listing, which compares names upper-cased: "walkfast"
// comes before "walk_left" ('F' before '_'). Names equal but for case go by their bytes.
bool ListingLess(const std::string& a, const std::string& b);

}  // namespace brmath
