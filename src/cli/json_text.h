// The one way the programs write JSON: documents are built as values of the JSON library
// and written by it, so strings are escaped as JSON wants them and bytes that are not UTF-8
// are replaced by U+FFFD rather than written through.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

// Keys keep the order they were added in, so output reads as it was built.
using Json = nlohmann::ordered_json;

// One quoted JSON string (for the few places that write a single string into other text).
std::string JsonString(std::string_view text);

// A whole value: on one line when indent is -1 (JSON lines), else indented by that many spaces.
std::string JsonText(const Json& value, int indent = -1);
