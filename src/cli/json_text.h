// The one way the programs write a string into JSON output: quoted, with quotes, backslashes
// and control characters escaped as JSON wants them, and bytes that are not UTF-8 replaced
// by U+FFFD rather than written through.
#pragma once

#include <string>
#include <string_view>

std::string JsonString(std::string_view text);
