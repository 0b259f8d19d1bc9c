// Telling the game that an operator's settlement of one of its games was made, so that the
// game's own journal no longer counts it as owed. moneyctl calls it after the settlement's
// journal entry is committed.
#pragma once

#include <cstdint>
#include <string>

// `gameDir` is the game's folder, `game` the game's number and `what` what was done, as
// SettlementWhat gives it ("REFUND 150", "PAYBANK 2500", "PAYCREDITS 40"). False with a message
// in `error` when the game's journal could not be marked.
bool MarkGameSettled(const std::string& gameDir, int64_t game, const std::string& what,
                     std::string& error);
