#include "accounting/money_link.h"

#include <algorithm>
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

// How one exchange ended. Only a FAIL reply says for certain that the server made no
// change; when no reply came (or one that makes no sense), a change may or may not have
// been made before the link broke.
enum class Outcome { kAccepted, kRefused, kInDoubt };

bool IsRefusal() {
  return std::strcmp(gReply, "FAIL\r\n") == 0 || std::strcmp(gReply, "FAIL\n") == 0;
}

// One exchange: the request formatted into the request buffer is sent, the reply read
// and accepted when it starts with the tag.
Outcome ExchangeOutcome(const char* tag) {
  if (!SendRequest() || !ReceiveReply()) return Outcome::kInDoubt;
  if (std::strncmp(gReply, tag, 4) != 0) return IsRefusal() ? Outcome::kRefused : Outcome::kInDoubt;
  ParseReply();
  return Outcome::kAccepted;
}

bool Exchange(const char* tag) {
  return ExchangeOutcome(tag) == Outcome::kAccepted;
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
  // A total is never read as another: below nothing reads as nothing, and past what the
  // answer can hold as the most it can hold (65535 is kept for a failure).
  return static_cast<uint16_t>(std::clamp<int32_t>(ValueOfReply(), 0, 65534));
}

Outcome Change(const char* word, int32_t amount, const char* tag) {
  std::snprintf(gRequest, sizeof gRequest, "%s,%d\r\n", word, amount);
  return ExchangeOutcome(tag);
}

// A payment the server refused is not made and must be settled by hand; one whose reply
// never came may have been made, and the server's journal tells which.
bool Pay(const char* word, const char* where, int32_t amount, const char* tag) {
  switch (Change(word, amount, tag)) {
    case Outcome::kAccepted:
      return true;
    case Outcome::kRefused:
      LogMessage("PAYMENT NOT ACCEPTED - %s %d pence - settle by hand\n", where, amount);
      return false;
    case Outcome::kInDoubt:
      break;
  }
  LogMessage("PAYMENT NOT CONFIRMED - %s %d pence - check the money server's journal\n", where,
             amount);
  return false;
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
// A refused stake is an ordinary refused game; a stake whose reply was lost may have been
// taken all the same.
bool UseCredits(int32_t amount) {
  const Outcome outcome = Change("CUSE", amount, "CTEL");
  if (outcome == Outcome::kInDoubt) {
    LogMessage("STAKE NOT CONFIRMED - credits %d pence - check the money server's journal\n",
               amount);
  }
  return outcome == Outcome::kAccepted;
}

// Additions are the game paying the player; one that is not accepted is logged with its
// amount for the operator.
bool AddBank(int32_t amount) {
  return Pay("BADD", "bank", amount, "BTEL");
}

bool AddCredits(int32_t amount) {
  return Pay("CADD", "credits", amount, "CTEL");
}

void SendTerminate() {
  std::snprintf(gRequest, sizeof gRequest, "TERM\r\n");
  Sys().SocketSend(ServerSocket, gRequest, std::strlen(gRequest));
}

// The panels hold four digits: a total of 100.00 or more shows, and counts towards a
// stake, as 99.99; only a failed exchange reads as nothing.
uint16_t GetCredits() {
  uint16_t v = QueryCredits();
  return v == 65535 ? 0 : std::min<uint16_t>(v, 9999);
}

uint16_t GetBank() {
  uint16_t v = QueryBank();
  return v == 65535 ? 0 : std::min<uint16_t>(v, 9999);
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
