// meters --games: the last games of the game journal, newest first, each with its money
// and every step in the order played, in words or as JSON.
#pragma once

#include <cstdint>
#include <string>

// Prints the recall of the newest `count` games of the journal at `path`; the exit code.
int ShowGames(const std::string& path, int64_t count, bool json);
