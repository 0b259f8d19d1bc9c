// For crash tests of the whole program: the simulator ends its own process with SIGKILL, as
// a power cut would stop it, a moment after the n-th request of a kind goes to the money
// server or after its reply comes back. The plan comes from the environment variable
// STRIKORA_SIM_KILL, "send|reply:VERB:N:DELAY_US" (say "reply:BADD:2:1500"); the game goes on
// during the delay, as it would until the power went; with no delay it dies at once.
#pragma once

#include <cstdint>
#include <string>

#include "platform/headless/headless_platform.h"

namespace sim {

struct KillPlan {
  bool afterReply = false;
  std::string verb;  // "CUSE", "BADD", "CADD"
  int nth = 1;
  uint32_t delayUs = 0;
};

bool ParseKillPlan(const std::string& text, KillPlan& plan);

class KillingPlatform : public platform::HeadlessPlatform {
 public:
  KillingPlatform(Options options, KillPlan plan)
      : HeadlessPlatform(options), plan_(std::move(plan)) {}
  long SocketSend(int sock, const void* data, size_t size) override;
  long SocketReceive(int sock, void* data, size_t size) override;

 private:
  void KillSoon();
  KillPlan plan_;
  int sent_ = 0;                // requests of the plan's verb sent so far
  bool awaitingReply_ = false;  // the last request sent was the plan's n-th
  bool armed_ = false;
};

}  // namespace sim
