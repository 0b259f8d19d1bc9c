// The rules of the money: what each kind of journal entry does to the credits and the bank,
// and when it is refused. Pure functions: the ledger applies them inside its transactions and
// the audit replays them over the journal.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace money {

// Whole pence.
struct Totals {
  int64_t credits = 0;
  int64_t bank = 0;
  bool operator==(const Totals&) const = default;
};

struct Delta {
  int64_t credits = 0;
  int64_t bank = 0;
  bool operator==(const Delta&) const = default;
};

enum class Kind {
  kStart,       // moneyd started
  kStop,        // moneyd stopped cleanly
  kConnect,     // a client connected
  kTerm,        // a client said TERM
  kDisconnect,  // a client's connection closed
  kAddCredits,  // CADD: a prize into the credits
  kAddBank,     // BADD: a prize into the bank
  kUseCredits,  // CUSE: a stake taken from the credits, the rest from the bank
  kInsert,      // the operator (or the coin mechanism) put credits in
  kCashout,     // the operator paid credits and bank out
  kRefund,      // the operator gave a game's stake back into the credits
  kPayBank,     // the operator paid a game's prize owed into the bank
  kPayCredits,  // the operator paid a game's prize owed into the credits
  kRefused,     // a connection from a user who may not be served, closed at once
};

// Credits may be inserted only up to this, so that the game's panels can show them.
inline constexpr int64_t kInsertCreditLimit = 9999;
// A settlement (refund or payment of what a game owes) is 1..this many pence. It settles a
// debt, so the credits' display limit does not apply to it.
inline constexpr int64_t kSettleLimit = 100000;

// What an entry does: the amount it is journalled with and the change to the totals.
struct Decision {
  int64_t amount = 0;
  Delta delta;
  bool operator==(const Decision&) const = default;
};

// Decides an entry of `kind` asking for `amount` pence against the totals `before`; nothing
// when it is refused. Events (start, stop, connect, TERM, disconnect) take amount 0 and change
// nothing. A cashout ignores `amount` and pays out everything.
std::optional<Decision> Decide(Kind kind, const Totals& before, int64_t amount);

Totals Apply(const Totals& before, const Delta& delta);

// True for the kinds that may change the totals.
bool ChangesMoney(Kind kind);

// The journal's name of a kind ("CADD", "INSERT", ...), and back.
const char* KindName(Kind kind);
std::optional<Kind> KindFromName(std::string_view name);

// "£12.34", "-£0.05".
std::string Pounds(int64_t pence);
// "£12.34 (1234p)".
std::string PoundsAndPence(int64_t pence);

}  // namespace money
