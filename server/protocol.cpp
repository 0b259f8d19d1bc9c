#include "server/protocol.h"

#include <cstdio>

namespace money {

void FeedBytes(LineFramer& framer, std::string_view bytes, std::vector<Line>& lines) {
  while (!bytes.empty()) {
    const size_t lf = bytes.find('\n');
    const std::string_view piece = bytes.substr(0, lf);
    if (!framer.too_long) {
      // Room for the rest of the line, keeping one byte for its LF.
      const size_t room = kMaxLineBytes - 1 - framer.pending.size();
      if (piece.size() <= room) {
        framer.pending.append(piece);
      } else {
        framer.pending.append(piece.substr(0, room));
        framer.too_long = true;
      }
    }
    if (lf == std::string_view::npos) return;

    Line line;
    line.too_long = framer.too_long;
    line.text = std::move(framer.pending);
    if (!line.too_long && !line.text.empty() && line.text.back() == '\r') line.text.pop_back();
    lines.push_back(std::move(line));
    framer.pending.clear();
    framer.too_long = false;
    bytes.remove_prefix(lf + 1);
  }
}

std::optional<int64_t> ParseAmount(std::string_view digits) {
  // Six digits reach 999999, past the largest amount; anything longer is refused unread.
  if (digits.empty() || digits.size() > 6 || digits.front() == '0') return std::nullopt;
  int64_t value = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value > kMaxAmount) return std::nullopt;
  return value;
}

namespace {

struct Word {
  std::string_view text;
  Verb verb;
  bool takes_amount;
};

constexpr Word kWords[] = {
    {"CGET", Verb::kCreditQuery, false}, {"BGET", Verb::kBankQuery, false},
    {"CUSE", Verb::kUseCredits, true},   {"BADD", Verb::kAddBank, true},
    {"CADD", Verb::kAddCredits, true},   {"TERM", Verb::kTerm, false},
};

}  // namespace

Request ParseRequest(std::string_view text) {
  const size_t comma = text.find(',');
  const std::string_view word = text.substr(0, comma);
  for (const Word& w : kWords) {
    if (w.text != word) continue;
    if (!w.takes_amount) return comma == std::string_view::npos ? Request{w.verb, 0} : Request{};
    if (comma == std::string_view::npos) return {};
    const std::optional<int64_t> amount = ParseAmount(text.substr(comma + 1));
    if (!amount) return {};
    return Request{w.verb, *amount};
  }
  return {};
}

const char* VerbWord(Verb verb) {
  for (const Word& w : kWords) {
    if (w.verb == verb) return w.text.data();
  }
  return "?";
}

std::string FormatRequest(const Request& request) {
  std::string line = VerbWord(request.verb);
  switch (request.verb) {
    case Verb::kUseCredits:
    case Verb::kAddBank:
    case Verb::kAddCredits:
      line += ',' + std::to_string(request.amount);
      break;
    default:
      break;
  }
  return line + "\r\n";
}

std::string CreditReply(int64_t credits) {
  return "CTEL," + std::to_string(credits) + "\r\n";
}

std::string BankReply(int64_t bank) {
  return "BTEL," + std::to_string(bank) + "\r\n";
}

std::string Printable(std::string_view text, size_t max_bytes) {
  std::string out;
  const std::string_view shown = text.substr(0, max_bytes);
  for (const char c : shown) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7f && c != '\\') {
      out += c;
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
      out += escaped;
    }
  }
  if (shown.size() < text.size()) out += "... (" + std::to_string(text.size()) + " bytes)";
  return out;
}

}  // namespace money
