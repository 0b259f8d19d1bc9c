#include "accounting/money_link.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "accounting/game_journal.h"
#include "accounting/record_file.h"
#include "shell/entry.h"
#include "shell/eventlog.h"
#include "shell/system.h"

char ReplyValue[256];

namespace {

constexpr size_t kBufferSize = 4096;
char gRequest[kBufferSize];
char gReply[kBufferSize];
int32_t gReplyLength = 0;
MoneySeen gSeen;

int32_t ValueOfReply();

// Every accepted reply tells the total it names.
void NoteTotal(const char* tag) {
  if (std::strncmp(tag, "CTEL", 4) == 0) gSeen.credits = ValueOfReply();
  if (std::strncmp(tag, "BTEL", 4) == 0) gSeen.bank = ValueOfReply();
}

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
  NoteTotal(tag);
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

journal::StepResult ResultOf(Outcome outcome) {
  switch (outcome) {
    case Outcome::kAccepted:
      return journal::StepResult::kDone;
    case Outcome::kRefused:
      return journal::StepResult::kRefused;
    case Outcome::kInDoubt:
      break;
  }
  return journal::StepResult::kNoReply;
}

// The reply as the journal keeps it: the line without its end, cut short.
std::string ReplyText() {
  std::string text(gReply, static_cast<size_t>(gReplyLength));
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text.substr(0, 64);
}

// One journalled step: its intent is durable already; the request goes, and its result is
// noted.
Outcome Step(int64_t step, journal::StepKind kind, int32_t amount) {
  const bool stake = kind == journal::StepKind::kStake;
  const char* verb = journal::StepVerb(kind);
  const Outcome outcome =
      Change(verb, amount, stake || !journal::StepToBank(kind) ? "CTEL" : "BTEL");
  JournalResult(step, ResultOf(outcome),
                outcome == Outcome::kInDoubt && gReplyLength == 0 ? std::string() : ReplyText());
  return outcome;
}

// A payment the server refused is not made and must be settled; one whose reply never came
// may have been made, and the server's journal tells which (moneyctl reconcile).
bool Pay(int64_t step, journal::StepKind kind, int32_t amount) {
  const char* where = journal::StepToBank(kind) ? "bank" : "credits";
  switch (Step(step, kind, amount)) {
    case Outcome::kAccepted:
      return true;
    case Outcome::kRefused:
      LogMessage(
          "PAYMENT NOT ACCEPTED - %s %d pence - game %lld - settle with moneyctl reconcile\n",
          where, amount, static_cast<long long>(CurrentGameNumber()));
      return false;
    case Outcome::kInDoubt:
      break;
  }
  LogMessage("PAYMENT NOT CONFIRMED - %s %d pence - game %lld - settle with moneyctl reconcile\n",
             where, amount, static_cast<long long>(CurrentGameNumber()));
  return false;
}

// Whole pounds to the bank, the pence left over to the credits: every part's intent is
// durable (with the record image, when given) before the first request goes.
void PaySplit(int32_t amount, journal::StepKind toBank, journal::StepKind toCredits,
              const std::string* recordImage) {
  std::vector<journal::Intent> parts;
  if (amount >= 100) parts.push_back({toBank, amount / 100 * 100});
  if (amount % 100 != 0) parts.push_back({toCredits, amount < 100 ? amount : amount % 100});
  if (parts.empty()) {
    if (recordImage) {
      JournalPendingRecord(*recordImage);
      WriteRecordBytes(*recordImage);
    }
    return;
  }
  std::vector<int64_t> steps = JournalIntents(parts, recordImage);
  if (steps.size() != parts.size()) {
    // The journal cannot say what is owed: the player is paid all the same, and the
    // money server's journal is the account of it.
    steps.assign(parts.size(), 0);
  }
  if (recordImage) WriteRecordBytes(*recordImage);
  for (size_t i = 0; i < parts.size(); ++i)
    Pay(steps[i], parts[i].kind, static_cast<int32_t>(parts[i].amount));
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
// taken all the same. The stake's intent is durable before it is asked for; when it cannot
// be made durable the stake is not asked for.
bool UseCredits(int32_t amount) {
  std::vector<int64_t> steps = JournalIntents({{journal::StepKind::kStake, amount}}, nullptr);
  if (steps.empty()) return false;
  const Outcome outcome = Step(steps.front(), journal::StepKind::kStake, amount);
  if (outcome == Outcome::kInDoubt) {
    LogMessage(
        "STAKE NOT CONFIRMED - credits %d pence - game %lld - settle with moneyctl "
        "reconcile\n",
        amount, static_cast<long long>(CurrentGameNumber()));
  }
  return outcome == Outcome::kAccepted;
}

// Additions are the game paying the player (a prize); one that is not accepted is logged
// with its amount for the operator.
bool AddBank(int32_t amount) {
  std::vector<int64_t> steps = JournalIntents({{journal::StepKind::kPrizeToBank, amount}}, nullptr);
  return Pay(steps.empty() ? 0 : steps.front(), journal::StepKind::kPrizeToBank, amount);
}

bool AddCredits(int32_t amount) {
  std::vector<int64_t> steps =
      JournalIntents({{journal::StepKind::kPrizeToCredits, amount}}, nullptr);
  return Pay(steps.empty() ? 0 : steps.front(), journal::StepKind::kPrizeToCredits, amount);
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
  if (amount <= 0) return;
  PaySplit(amount, journal::StepKind::kPrizeToBank, journal::StepKind::kPrizeToCredits, nullptr);
}

void PayCashpot(int32_t amount, const std::string& recordImage) {
  PaySplit(amount, journal::StepKind::kCashpotToBank, journal::StepKind::kCashpotToCredits,
           &recordImage);
}

const MoneySeen& LastMoneySeen() {
  return gSeen;
}
