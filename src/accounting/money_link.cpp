#include "accounting/money_link.h"

#include <cstdio>
#include <cstring>

#include "shell/entry.h"
#include "shell/eventlog.h"
#include "shell/system.h"

char ReplyValue[256];

namespace {

constexpr size_t kBufferSize = 4096;
char gRequest[kBufferSize];
char gReply[kBufferSize];
int32_t gReplyLength = 0;

bool SendRequest() {
  size_t length = std::strlen(gRequest), sent = 0;
  while (sent < length) {
    long n = Sys().SocketSend(ServerSocket, gRequest + sent, length - sent);
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}

// Reads one reply up to its line end, in as many pieces as it comes. A closed
// connection, an error or a reply that fills the buffer without a line end fails.
bool ReceiveReply() {
  size_t got = 0;
  gReply[0] = '\0';
  gReplyLength = 0;
  while (got < kBufferSize - 1) {
    long n = Sys().SocketReceive(ServerSocket, gReply + got, kBufferSize - 1 - got);
    if (n <= 0) return false;
    got += static_cast<size_t>(n);
    gReply[got] = '\0';
    gReplyLength = static_cast<int32_t>(got);
    if (std::memchr(gReply, '\n', got)) return true;
  }
  return false;
}

// One exchange: the request formatted into the request buffer is sent, the reply read
// and accepted when it starts with the tag.
bool Exchange(const char* tag) {
  if (!SendRequest() || !ReceiveReply()) return false;
  if (std::strncmp(gReply, tag, 4) != 0) return false;
  ParseReply();
  return true;
}

// The reply value as the C library's atoi reads it (white space, sign, digits), with
// the arithmetic wrapping at 32 bits instead of overflowing.
int32_t ValueOfReply() {
  const char* p = ReplyValue;
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  bool negative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  uint32_t v = 0;
  while (*p >= '0' && *p <= '9') v = v * 10u + static_cast<uint32_t>(*p++ - '0');
  return static_cast<int32_t>(negative ? 0u - v : v);
}

uint16_t Query(const char* request, const char* tag) {
  std::snprintf(gRequest, sizeof gRequest, "%s", request);
  if (!Exchange(tag)) return 65535;
  return static_cast<uint16_t>(ValueOfReply());
}

bool Change(const char* word, int32_t amount, const char* tag) {
  std::snprintf(gRequest, sizeof gRequest, "%s,%d\r\n", word, amount);
  return Exchange(tag);
}

}  // namespace

void ParseReply() {
  const char* comma = std::strchr(gReply, ',');
  if (!comma) {
    ReplyValue[0] = '\0';
    return;
  }
  std::snprintf(ReplyValue, sizeof ReplyValue, "%s", comma + 1);
}

uint16_t QueryCredits() {
  return Query("CGET\r\n", "CTEL");
}
uint16_t QueryBank() {
  return Query("BGET\r\n", "BTEL");
}
bool UseCredits(int32_t amount) {
  return Change("CUSE", amount, "CTEL");
}

// Additions are the game paying the player; one the server does not take is logged
// with its amount so that an operator can settle it by hand.
bool AddBank(int32_t amount) {
  if (Change("BADD", amount, "BTEL")) return true;
  LogMessage("PAYMENT NOT ACCEPTED - bank %d pence - settle by hand\n", amount);
  return false;
}

bool AddCredits(int32_t amount) {
  if (Change("CADD", amount, "CTEL")) return true;
  LogMessage("PAYMENT NOT ACCEPTED - credits %d pence - settle by hand\n", amount);
  return false;
}

void SendTerminate() {
  std::snprintf(gRequest, sizeof gRequest, "TERM\r\n");
  Sys().SocketSend(ServerSocket, gRequest, std::strlen(gRequest));
}

uint16_t GetCredits() {
  uint16_t v = QueryCredits();
  return v >= 10000 ? 0 : v;
}

uint16_t GetBank() {
  uint16_t v = QueryBank();
  return v >= 10000 ? 0 : v;
}

void PayToPlayer(int16_t amount) {
  if (amount == 0) return;
  if (amount < 100) {
    AddCredits(amount);
  } else if (amount % 100 != 0) {
    AddBank((amount / 100) * 100);
    AddCredits(amount % 100);
  } else {
    AddBank(amount);
  }
}
