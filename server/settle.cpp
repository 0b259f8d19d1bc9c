#include "server/settle.h"

#include "server/options.h"

namespace money {

bool ParseSettlement(const std::vector<std::string>& words, Settlement& settlement,
                     std::string& error) {
  const bool pay = !words.empty() && words[0] == "pay";
  if (words.empty() || (!pay && words[0] != "refund")) {
    error = "a settlement is refund or pay";
    return false;
  }
  const std::string usage =
      pay ? "pay takes PENCE --to bank|credits --game N" : "refund takes PENCE --game N";
  if (words.size() < 2) {
    error = usage;
    return false;
  }
  Settlement s;
  if (!ParseWhole(words[1], 1, kSettleLimit, s.amount)) {
    error =
        words[0] + " takes 1.." + std::to_string(kSettleLimit) + " pence, not \"" + words[1] + "\"";
    return false;
  }
  std::string to;
  for (size_t i = 2; i < words.size(); i += 2) {
    const std::string& option = words[i];
    if (i + 1 >= words.size() || (option != "--game" && !(pay && option == "--to"))) {
      error = usage;
      return false;
    }
    const std::string& value = words[i + 1];
    if (option == "--to") {
      if (value != "bank" && value != "credits") {
        error = "--to takes bank or credits, not \"" + value + "\"";
        return false;
      }
      to = value;
    } else if (!ParseWhole(value, 1, INT64_MAX, s.game)) {
      error = "--game takes the game's number, not \"" + value + "\"";
      return false;
    }
  }
  if (s.game == 0 || (pay && to.empty())) {
    error = usage;
    return false;
  }
  s.kind = !pay ? Kind::kRefund : to == "bank" ? Kind::kPayBank : Kind::kPayCredits;
  settlement = s;
  return true;
}

std::string SettlementDetail(const Settlement& settlement) {
  return "game " + std::to_string(settlement.game);
}

std::string SettlementWhat(const Settlement& settlement) {
  return std::string(KindName(settlement.kind)) + " " + std::to_string(settlement.amount);
}

}  // namespace money
