#pragma once

// Names from MD5 files are bytes; JSON (and so glTF) holds UTF-8 only. A name that is
// not UTF-8 is written with U+FFFD in place of each invalid byte, and said.
#include <nlohmann/json.hpp>
#include <string>

namespace convert {

// `text` as it is when it is UTF-8, else with its invalid bytes replaced (and *replaced set).
inline std::string Utf8Text(const std::string& text, bool* replaced) {
    try {
        (void)nlohmann::json(text).dump();
        return text;
    } catch (const nlohmann::json::type_error&) {
        *replaced = true;
        const std::string quoted = nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
        return nlohmann::json::parse(quoted).get<std::string>();
    }
}

constexpr const char* kReplacedNamesWarning =
    "names that are not UTF-8 are written to JSON and glTF with U+FFFD in place of their invalid bytes";

}  // namespace convert
