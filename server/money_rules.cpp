#include "server/money_rules.h"

#include <algorithm>
#include <cstdio>

namespace money {

namespace {

struct KindInfo {
  Kind kind;
  const char* name;
  bool changes_money;
};

constexpr KindInfo kKinds[] = {
    {Kind::kStart, "START", false},           {Kind::kStop, "STOP", false},
    {Kind::kConnect, "CONNECT", false},       {Kind::kTerm, "TERM", false},
    {Kind::kDisconnect, "DISCONNECT", false}, {Kind::kAddCredits, "CADD", true},
    {Kind::kAddBank, "BADD", true},           {Kind::kUseCredits, "CUSE", true},
    {Kind::kInsert, "INSERT", true},          {Kind::kCashout, "CASHOUT", true},
    {Kind::kRefund, "REFUND", true},          {Kind::kPayBank, "PAYBANK", true},
    {Kind::kPayCredits, "PAYCREDITS", true},  {Kind::kRefused, "REFUSED", false},
};

std::optional<Decision> Add(int64_t total, int64_t amount, bool to_credits) {
  int64_t sum = 0;
  if (amount <= 0 || __builtin_add_overflow(total, amount, &sum)) return std::nullopt;
  return to_credits ? Decision{amount, {amount, 0}} : Decision{amount, {0, amount}};
}

}  // namespace

std::optional<Decision> Decide(Kind kind, const Totals& before, int64_t amount) {
  switch (kind) {
    case Kind::kStart:
    case Kind::kStop:
    case Kind::kConnect:
    case Kind::kTerm:
    case Kind::kDisconnect:
    case Kind::kRefused:
      if (amount != 0) return std::nullopt;
      return Decision{};
    case Kind::kAddCredits:
      // A prize is never refused; only a total that no longer fits could stop it.
      return Add(before.credits, amount, true);
    case Kind::kAddBank:
      return Add(before.bank, amount, false);
    case Kind::kUseCredits: {
      if (amount <= 0) return std::nullopt;
      const int64_t from_credits = std::clamp<int64_t>(before.credits, 0, amount);
      const int64_t from_bank = amount - from_credits;
      if (from_bank > before.bank) return std::nullopt;
      return Decision{amount, {-from_credits, -from_bank}};
    }
    case Kind::kInsert:
      if (amount <= 0 || amount > kInsertCreditLimit - before.credits) return std::nullopt;
      return Decision{amount, {amount, 0}};
    case Kind::kRefund:
    case Kind::kPayCredits:
      if (amount > kSettleLimit) return std::nullopt;
      return Add(before.credits, amount, true);
    case Kind::kPayBank:
      if (amount > kSettleLimit) return std::nullopt;
      return Add(before.bank, amount, false);
    case Kind::kCashout: {
      int64_t paid = 0;
      if (before.credits < 0 || before.bank < 0 ||
          __builtin_add_overflow(before.credits, before.bank, &paid)) {
        return std::nullopt;
      }
      return Decision{paid, {-before.credits, -before.bank}};
    }
  }
  return std::nullopt;
}

Totals Apply(const Totals& before, const Delta& delta) {
  return Totals{before.credits + delta.credits, before.bank + delta.bank};
}

bool ChangesMoney(Kind kind) {
  for (const KindInfo& info : kKinds) {
    if (info.kind == kind) return info.changes_money;
  }
  return false;
}

const char* KindName(Kind kind) {
  for (const KindInfo& info : kKinds) {
    if (info.kind == kind) return info.name;
  }
  return "?";
}

std::optional<Kind> KindFromName(std::string_view name) {
  for (const KindInfo& info : kKinds) {
    if (name == info.name) return info.kind;
  }
  return std::nullopt;
}

std::string Pounds(int64_t pence) {
  const bool negative = pence < 0;
  const uint64_t raw = static_cast<uint64_t>(pence);
  const uint64_t magnitude = negative ? 0 - raw : raw;
  char text[48];
  std::snprintf(text, sizeof text, "%s\u00a3%llu.%02llu", negative ? "-" : "",
                static_cast<unsigned long long>(magnitude / 100),
                static_cast<unsigned long long>(magnitude % 100));
  return text;
}

std::string PoundsAndPence(int64_t pence) {
  return Pounds(pence) + " (" + std::to_string(pence) + "p)";
}

}  // namespace money
