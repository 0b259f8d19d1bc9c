// moneyd's serving loop: one thread, poll() over the listening socket and every client.
// Each poll round reads from every ready client and serves them all together in rounds
// (exchange.h): queries at once, every waiting change in one commit, each client's replies in
// the order of its lines and a change's reply only after its commit. When every slot is taken,
// a new connection closes the one that has been idle longest. Every connect, TERM and
// disconnect is journalled.
#pragma once

#include <signal.h>

#include <cstddef>
#include <cstdint>

#include "server/exchange.h"
#include "server/ledger.h"
#include "server/peer.h"

namespace money {

struct ServeConfig {
  int listen_fd = -1;
  int64_t first_client = 1;  // the number given to the first client
  // Connections served at once; one more closes the longest idle to make room.
  size_t max_clients = 64;
  RoundLimits limits;  // how much of each client one round serves
  // Who may connect (everyone local when it names nobody).
  PeerPolicy peers;
  // The signal mask to wait with: the stopping signals are blocked except while waiting.
  sigset_t wait_mask{};
};

// Serves until `stop` is set (by a signal handler), then journals and closes every client.
// Returns 0, or 1 when polling itself failed.
int Serve(Ledger& ledger, const ServeConfig& config, const volatile sig_atomic_t& stop);

}  // namespace money
