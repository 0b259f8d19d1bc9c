#include "server/exchange.h"

#include "server/event_log.h"

namespace money {

namespace {

using ll = long long;

std::string Fail() {
  return std::string(kFailReply);
}

ExchangeResult Query(Ledger& ledger, int64_t client, Verb verb) {
  Totals totals;
  std::string error;
  if (!ReadTotals(ledger, totals, error)) {
    LogEvent("client %lld: %s failed, the database said: %s", static_cast<ll>(client),
             VerbWord(verb), error.c_str());
    return {Fail()};
  }
  return {verb == Verb::kCreditQuery ? CreditReply(totals.credits) : BankReply(totals.bank)};
}

Kind KindOf(Verb verb) {
  switch (verb) {
    case Verb::kUseCredits:
      return Kind::kUseCredits;
    case Verb::kAddBank:
      return Kind::kAddBank;
    default:
      return Kind::kAddCredits;
  }
}

ExchangeResult Change(Ledger& ledger, int64_t client, const Request& request) {
  const RecordResult result =
      Record(ledger, Entry{KindOf(request.verb), client, request.amount, ""});
  const char* word = VerbWord(request.verb);
  const ll amount = request.amount;
  switch (result.outcome) {
    case Outcome::kApplied:
      LogEvent("client %lld: %s,%lld -> credits %lldp, bank %lldp", static_cast<ll>(client), word,
               amount, static_cast<ll>(result.after.credits), static_cast<ll>(result.after.bank));
      return {request.verb == Verb::kAddBank ? BankReply(result.after.bank)
                                             : CreditReply(result.after.credits)};
    case Outcome::kRefused:
      LogEvent("client %lld: refused %s,%lld: credits %lldp and bank %lldp %s",
               static_cast<ll>(client), word, amount, static_cast<ll>(result.before.credits),
               static_cast<ll>(result.before.bank),
               request.verb == Verb::kUseCredits ? "do not cover it" : "cannot take it");
      return {Fail()};
    case Outcome::kFailed:
      break;
  }
  LogEvent("client %lld: %s,%lld failed, nothing changed; the database said: %s",
           static_cast<ll>(client), word, amount, result.error.c_str());
  return {Fail()};
}

}  // namespace

ExchangeResult HandleLine(Ledger& ledger, int64_t client, const Line& line) {
  if (line.too_long) {
    LogEvent("client %lld: refused a line longer than %zu bytes: \"%s\"", static_cast<ll>(client),
             kMaxLineBytes, Printable(line.text).c_str());
    return {Fail()};
  }
  const Request request = ParseRequest(line.text);
  switch (request.verb) {
    case Verb::kInvalid:
      LogEvent("client %lld: refused \"%s\"", static_cast<ll>(client),
               Printable(line.text).c_str());
      return {Fail()};
    case Verb::kCreditQuery:
    case Verb::kBankQuery:
      return Query(ledger, client, request.verb);
    case Verb::kTerm: {
      const RecordResult result = Record(ledger, Entry{Kind::kTerm, client, 0, ""});
      if (result.outcome != Outcome::kApplied) {
        LogEvent("client %lld: could not journal TERM: %s", static_cast<ll>(client),
                 result.error.c_str());
      }
      LogEvent("client %lld: TERM", static_cast<ll>(client));
      return {"", true};
    }
    default:
      return Change(ledger, client, request);
  }
}

}  // namespace money
