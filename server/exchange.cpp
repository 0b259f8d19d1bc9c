#include "server/exchange.h"

#include <vector>

#include "server/event_log.h"

namespace money {

namespace {

using ll = long long;

std::string Fail() {
  return std::string(kFailReply);
}

std::string Query(Ledger& ledger, int64_t client, Verb verb) {
  Totals totals;
  std::string error;
  if (!ReadTotals(ledger, totals, error)) {
    LogEventAt(kLogError, "client %lld: %s failed, the database said: %s", static_cast<ll>(client),
               VerbWord(verb), error.c_str());
    return Fail();
  }
  return verb == Verb::kCreditQuery ? CreditReply(totals.credits) : BankReply(totals.bank);
}

Kind KindOf(Verb verb) {
  switch (verb) {
    case Verb::kUseCredits:
      return Kind::kUseCredits;
    case Verb::kAddBank:
      return Kind::kAddBank;
    case Verb::kTerm:
      return Kind::kTerm;
    default:
      return Kind::kAddCredits;
  }
}

bool IsChange(Verb verb) {
  return verb == Verb::kUseCredits || verb == Verb::kAddBank || verb == Verb::kAddCredits;
}

// The request a line makes; too long a line is no request.
Request RequestOf(const Line& line) {
  return line.too_long ? Request{} : ParseRequest(line.text);
}

// The answer to a line that needs no transaction: a query or a refusal.
std::string Answer(Ledger& ledger, int64_t client, const Line& line, const Request& request) {
  if (line.too_long) {
    LogEventAt(kLogWarning, "client %lld: refused a line longer than %zu bytes: \"%s\"",
               static_cast<ll>(client), kMaxLineBytes, Printable(line.text).c_str());
    return Fail();
  }
  if (request.verb == Verb::kInvalid) {
    LogEventAt(kLogWarning, "client %lld: refused \"%s\"", static_cast<ll>(client),
               Printable(line.text).c_str());
    return Fail();
  }
  return Query(ledger, client, request.verb);
}

// A change or TERM written in the round's transaction, waiting for its commit.
struct Taken {
  Session* session = nullptr;
  Request request;
  RecordResult result;
};

// Logs what a committed entry did and queues its reply.
void Conclude(const Taken& t) {
  const int64_t client = t.session->client;
  const char* word = VerbWord(t.request.verb);
  const ll amount = t.request.amount;
  const RecordResult& r = t.result;
  if (t.request.verb == Verb::kTerm) {
    LogEvent("client %lld: TERM", static_cast<ll>(client));
    t.session->ended = true;
    t.session->lines.clear();  // what came after TERM is not read
    return;
  }
  if (r.outcome == Outcome::kApplied) {
    LogEvent("client %lld: %s,%lld -> credits %lldp, bank %lldp", static_cast<ll>(client), word,
             amount, static_cast<ll>(r.after.credits), static_cast<ll>(r.after.bank));
    t.session->out +=
        t.request.verb == Verb::kAddBank ? BankReply(r.after.bank) : CreditReply(r.after.credits);
    return;
  }
  LogEventAt(kLogNotice, "client %lld: refused %s,%lld: credits %lldp and bank %lldp %s",
             static_cast<ll>(client), word, amount, static_cast<ll>(r.before.credits),
             static_cast<ll>(r.before.bank),
             t.request.verb == Verb::kUseCredits ? "do not cover it" : "cannot take it");
  t.session->out += Fail();
}

// An entry of a transaction that did not commit: nothing of it happened.
void ConcludeFailed(const Taken& t, const std::string& error) {
  const int64_t client = t.session->client;
  if (t.request.verb == Verb::kTerm) {
    LogEventAt(kLogError, "client %lld: could not journal TERM: %s", static_cast<ll>(client),
               error.c_str());
    LogEvent("client %lld: TERM", static_cast<ll>(client));
    t.session->ended = true;
    t.session->lines.clear();
    return;
  }
  LogEventAt(kLogError, "client %lld: %s,%lld failed, nothing changed; the database said: %s",
             static_cast<ll>(client), VerbWord(t.request.verb), static_cast<ll>(t.request.amount),
             error.c_str());
  t.session->out += Fail();
}

}  // namespace

bool HasWork(const Session& session) {
  return !session.ended && !session.lines.empty();
}

void ServeQueries(Ledger& ledger, std::span<Session* const> sessions, const RoundLimits& limits) {
  for (Session* s : sessions) {
    for (size_t answered = 0; HasWork(*s) && answered < limits.queries; ++answered) {
      const Line& line = s->lines.front();
      const Request request = RequestOf(line);
      if (IsChange(request.verb) || request.verb == Verb::kTerm) break;
      s->out += Answer(ledger, s->client, line, request);
      s->lines.pop_front();
    }
  }
}

CommitReport ServeChanges(Ledger& ledger, std::span<Session* const> sessions,
                          const RoundLimits& limits) {
  // Take the changes first, so that a round with none opens no transaction.
  std::vector<Taken> taken;
  for (Session* s : sessions) {
    size_t changes = 0;
    while (HasWork(*s)) {
      const Request request = RequestOf(s->lines.front());
      const bool term = request.verb == Verb::kTerm;
      if (!term && (!IsChange(request.verb) || changes == limits.changes)) break;
      taken.push_back(Taken{s, request, {}});
      s->lines.pop_front();
      ++changes;
      if (term) break;
    }
  }
  CommitReport report;
  report.changes = taken.size();
  if (taken.empty()) return report;

  std::string error;
  bool ok = BeginBatch(ledger, error);
  for (size_t i = 0; ok && i < taken.size(); ++i) {
    Taken& t = taken[i];
    t.result = RecordInBatch(
        ledger, Entry{KindOf(t.request.verb), t.session->client, t.request.amount, ""});
    if (t.result.outcome == Outcome::kFailed) {
      error = t.result.error;
      ok = false;
    }
  }
  if (!ok) {
    AbandonBatch(ledger);
  } else if (!CommitBatch(ledger, error)) {
    // The commit may be on disk all the same: no client of it is told anything, and their
    // connections end (moneyd itself ends in CommitBatch; see Ledger::commit_unknown).
    report.committed = false;
    report.outcome_unknown = true;
    for (const Taken& t : taken) {
      t.session->ended = true;
      t.session->lines.clear();
    }
    return report;
  }
  report.committed = ok;
  if (!ok) {
    LogEventAt(kLogError, "a transaction of %zu changes failed and was rolled back: %s",
               taken.size(), error.c_str());
  }
  for (const Taken& t : taken) {
    if (ok) {
      Conclude(t);
    } else {
      ConcludeFailed(t, error);
    }
  }
  return report;
}

ExchangeResult HandleLine(Ledger& ledger, int64_t client, const Line& line) {
  Session session;
  session.client = client;
  session.lines.push_back(line);
  Session* const sessions[] = {&session};
  while (HasWork(session)) {
    ServeQueries(ledger, sessions, RoundLimits{});
    ServeChanges(ledger, sessions, RoundLimits{});
  }
  return {session.out, session.ended};
}

}  // namespace money
