// What the server does with one line from a client: answer a query, make a change durable in
// the ledger before answering it, or refuse. Logs every change and refusal.
#pragma once

#include <cstdint>
#include <string>

#include "server/ledger.h"
#include "server/protocol.h"

namespace money {

struct ExchangeResult {
  std::string reply;   // empty after TERM
  bool close = false;  // the client said TERM: close the connection without a reply
};

ExchangeResult HandleLine(Ledger& ledger, int64_t client, const Line& line);

}  // namespace money
