#include "kill_plan.h"

#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <sstream>
#include <thread>

namespace sim {

bool ParseKillPlan(const std::string& text, KillPlan& plan) {
  std::stringstream in(text);
  std::string when, verb, nth, delay;
  if (!std::getline(in, when, ':') || !std::getline(in, verb, ':') || !std::getline(in, nth, ':') ||
      !std::getline(in, delay) || (when != "send" && when != "reply") ||
      (verb != "CUSE" && verb != "BADD" && verb != "CADD"))
    return false;
  char* end = nullptr;
  const long n = std::strtol(nth.c_str(), &end, 10);
  if (*end != '\0' || n < 1) return false;
  const long d = std::strtol(delay.c_str(), &end, 10);
  if (*end != '\0' || d < 0 || d > 10000000) return false;
  plan = KillPlan{when == "reply", verb, static_cast<int>(n), static_cast<uint32_t>(d)};
  return true;
}

void KillingPlatform::KillSoon() {
  if (armed_) return;
  armed_ = true;
  const uint32_t delay = plan_.delayUs;
  // No delay: at once, before the program does anything more.
  if (delay == 0) ::kill(::getpid(), SIGKILL);
  std::thread([delay] {
    if (delay) ::usleep(delay);
    ::kill(::getpid(), SIGKILL);
  }).detach();
}

long KillingPlatform::SocketSend(int sock, const void* data, size_t size) {
  const long n = HeadlessPlatform::SocketSend(sock, data, size);
  const bool ours =
      size > plan_.verb.size() && std::memcmp(data, plan_.verb.data(), plan_.verb.size()) == 0;
  awaitingReply_ = false;
  if (ours && ++sent_ == plan_.nth) {
    if (plan_.afterReply)
      awaitingReply_ = true;
    else
      KillSoon();
  }
  return n;
}

long KillingPlatform::SocketReceive(int sock, void* data, size_t size) {
  const long n = HeadlessPlatform::SocketReceive(sock, data, size);
  if (awaitingReply_ && n > 0) KillSoon();
  return n;
}

}  // namespace sim
