// The operator's settlement of what a game owes the player, when the game could not pay it
// itself: its stake given back (refund) or its prize paid into the bank or the credits.
//   refund PENCE --game N
//   pay PENCE --to bank|credits --game N
// Each is one journal entry (REFUND, PAYBANK, PAYCREDITS) with the detail "game N".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "server/money_rules.h"

namespace money {

struct Settlement {
  Kind kind = Kind::kRefund;
  int64_t amount = 0;  // 1..kSettleLimit pence
  int64_t game = 0;    // the game's number, 1 or more
};

// Reads a settlement command; `words` starts with the command ("refund" or "pay"). False with
// a message for the usage on a bad or missing argument.
bool ParseSettlement(const std::vector<std::string>& words, Settlement& settlement,
                     std::string& error);

// The journal entry's detail: "game N".
std::string SettlementDetail(const Settlement& settlement);

// What was done, as the game's journal is told it: "REFUND 150", "PAYBANK 2500".
std::string SettlementWhat(const Settlement& settlement);

}  // namespace money
