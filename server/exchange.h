// What the server does with the lines of its clients: answer queries, make changes durable in
// the ledger before answering them, or refuse. Logs every change and refusal. No sockets: each
// connection is a Session with the lines read from it and the replies ready for it.
//
// Clients are served in rounds. A round first answers, for every session, the queries and bad
// lines at the head of its queue from the committed totals (ServeQueries), then takes a few
// changes from the head of every session's queue and commits them all in one transaction
// (ServeChanges): one wait for the disk serves every client that has a change waiting, and a
// client streaming changes delays another's query by one commit at most. A change's reply is
// queued only after its commit; a line that follows a change on the same session waits for
// the next round, so each session's replies come in the order of its lines and a query sees
// the changes sent before it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <span>
#include <string>

#include "server/ledger.h"
#include "server/protocol.h"

namespace money {

struct Session {
  int64_t client = 0;
  std::deque<Line> lines;  // read and not yet answered, in order
  std::string out;         // replies ready to send, in order
  bool ended = false;      // TERM was journalled: nothing more is read or answered
};

struct RoundLimits {
  size_t queries = 64;  // lines one session may have answered by ServeQueries in a round
  size_t changes = 8;   // changes one session may put into a round's transaction
};

// Answers the lines at the head of each session's queue that need no transaction, up to its
// first change or TERM.
void ServeQueries(Ledger& ledger, std::span<Session* const> sessions, const RoundLimits& limits);

struct CommitReport {
  size_t changes = 0;  // changes and TERMs taken from the queues
  bool committed = true;
  bool outcome_unknown = false;  // the commit failed: its sessions ended without a reply
};

// Takes up to `limits.changes` changes at the head of each session's queue (and a TERM right
// after them), decides and writes them in one transaction in session order, commits it and
// only then queues their replies. When the transaction cannot be begun or written, it is
// rolled back whole: none of its changes happened and each is answered FAIL. When its commit
// fails, its outcome is unknown: nothing is answered and each of its sessions ends.
CommitReport ServeChanges(Ledger& ledger, std::span<Session* const> sessions,
                          const RoundLimits& limits);

// True when the session has lines that a round would serve.
bool HasWork(const Session& session);

struct ExchangeResult {
  std::string reply;   // empty after TERM
  bool close = false;  // the client said TERM: close the connection without a reply
};

// One line alone, served by rounds as above.
ExchangeResult HandleLine(Ledger& ledger, int64_t client, const Line& line);

}  // namespace money
