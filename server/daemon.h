// moneyd's serving loop: one thread, poll() over the listening socket and every client.
// Each client's lines are answered in order; a reply is queued only after its change is
// committed. Every connect, TERM and disconnect is journalled.
#pragma once

#include <signal.h>

#include <cstddef>
#include <cstdint>

#include "server/ledger.h"

namespace money {

struct ServeConfig {
  int listen_fd = -1;
  int64_t first_client = 1;  // the number given to the first client
  size_t max_clients = 64;   // further connections are closed at once
  // The signal mask to wait with: the stopping signals are blocked except while waiting.
  sigset_t wait_mask{};
};

// Serves until `stop` is set (by a signal handler), then journals and closes every client.
// Returns 0, or 1 when polling itself failed.
int Serve(Ledger& ledger, const ServeConfig& config, const volatile sig_atomic_t& stop);

}  // namespace money
