// The money line protocol: cutting the byte stream into lines, reading requests and writing
// replies. Nothing here touches sockets or the database, so it can be driven byte by byte.
//
// A request is one line of ASCII ending in LF or CR LF: CGET, BGET, CUSE,n, BADD,n, CADD,n or
// TERM, where n is 1..100000 pence written without sign, spaces or leading zeros. Replies are
// "CTEL,<credits>\r\n", "BTEL,<bank>\r\n" or "FAIL\r\n".
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace money {

// The longest line accepted, counted with its line end: the game's request buffer holds 4096
// bytes including the terminating zero.
inline constexpr size_t kMaxLineBytes = 4095;
// The largest amount one request may carry, in pence.
inline constexpr int64_t kMaxAmount = 100000;

inline constexpr std::string_view kFailReply = "FAIL\r\n";

// One complete line cut from the byte stream, without its line end.
struct Line {
  std::string text;       // for a line that was too long: only its first bytes
  bool too_long = false;  // the line ran past kMaxLineBytes
};

// The unfinished line of one connection. It never holds more than kMaxLineBytes - 1 bytes.
struct LineFramer {
  std::string pending;
  bool too_long = false;
};

// Takes bytes as they arrive, in pieces of any size, and appends every line they complete.
void FeedBytes(LineFramer& framer, std::string_view bytes, std::vector<Line>& lines);

enum class Verb { kInvalid, kCreditQuery, kBankQuery, kUseCredits, kAddBank, kAddCredits, kTerm };

struct Request {
  Verb verb = Verb::kInvalid;
  int64_t amount = 0;  // pence, for kUseCredits, kAddBank and kAddCredits
};

// Reads one line (without its line end). Anything not exactly as described above is kInvalid.
Request ParseRequest(std::string_view text);

// Reads a strictly written amount: 1..kMaxAmount, digits only, no leading zero.
std::optional<int64_t> ParseAmount(std::string_view digits);

// The request's line as the game writes it, with CR LF.
std::string FormatRequest(const Request& request);
// The protocol word of a verb ("CGET", ...; "?" for kInvalid).
const char* VerbWord(Verb verb);

std::string CreditReply(int64_t credits);
std::string BankReply(int64_t bank);

// The text made safe for a one-line log: control and non-ASCII bytes as \xNN, at most
// `max_bytes` of it, with the full length noted when cut.
std::string Printable(std::string_view text, size_t max_bytes = 40);

}  // namespace money
