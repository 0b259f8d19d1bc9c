// A game's steps as the journal keeps them: each a kind, the game's clock and a line of
// "key=value" fields (a value's spaces, '=' and '%' written as %20, %3D and %25). The same
// words describe a step to an operator (meters) and under a replay's pictures.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "accounting/journal_store.h"

namespace steps {

using Fields = std::vector<std::pair<std::string, std::string>>;

inline constexpr size_t kMaxDataBytes = 4096;  // a step's fields as stored, at most

std::string Encode(const Fields& fields);
// False with a reason for a line that is too long or not made of key=value words.
bool Decode(const std::string& data, Fields& fields, std::string& error);
// The value of a key, "" when the step has none.
std::string Get(const Fields& fields, const std::string& key);
int64_t GetInt(const Fields& fields, const std::string& key, int64_t otherwise = 0);

// "turn 7: hexagon 12, question: '...' answered TRUE, right, 14.2 s left; points 40,000 ->
// 45,000"; "" for a step whose words are empty (the waits of a turn are told by its turn).
std::string Describe(const journal::StepRow& row);
// 40000 -> "40,000"
std::string Thousands(int64_t n);
// 125 -> "£1.25"
std::string Pounds(int64_t pence);

}  // namespace steps
