// Fuzz target for the protocol: framing, reading requests and applying their money rules to a
// model of the totals. Builds with libFuzzer (clang -fsanitize=fuzzer) or, as here, with the
// small driver in tests/support/fuzz_driver.cpp.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "server/money_rules.h"
#include "server/protocol.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

money::Kind KindOf(money::Verb verb) {
  switch (verb) {
    case money::Verb::kUseCredits:
      return money::Kind::kUseCredits;
    case money::Verb::kAddBank:
      return money::Kind::kAddBank;
    default:
      return money::Kind::kAddCredits;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);

  // The lines must not depend on how the bytes were cut: once whole, once in pieces whose
  // sizes the input itself decides.
  money::LineFramer whole;
  std::vector<money::Line> lines;
  money::FeedBytes(whole, input, lines);
  money::LineFramer cut;
  std::vector<money::Line> cut_lines;
  for (size_t at = 0, k = 0; at < size; ++k) {
    const size_t n = std::min<size_t>(1 + data[k % size] % 97, size - at);
    money::FeedBytes(cut, input.substr(at, n), cut_lines);
    Check(cut.pending.size() < money::kMaxLineBytes);
    at += n;
  }
  Check(cut_lines.size() == lines.size());
  for (size_t i = 0; i < lines.size(); ++i) {
    Check(cut_lines[i].text == lines[i].text && cut_lines[i].too_long == lines[i].too_long);
  }
  Check(cut.pending == whole.pending && cut.too_long == whole.too_long);
  size_t line_ends = 0;
  for (const char c : input) line_ends += c == '\n';
  Check(line_ends == lines.size());

  money::Totals totals{static_cast<int64_t>(size % 300), 0};
  for (const money::Line& line : lines) {
    Check(line.text.size() < money::kMaxLineBytes);
    Check(line.text.find('\n') == std::string::npos);
    for (const char c : money::Printable(line.text)) Check(c >= 0x20 && c < 0x7f);
    if (line.too_long) continue;

    const money::Request request = money::ParseRequest(line.text);
    if (request.verb == money::Verb::kInvalid) continue;
    // What is read is exactly what the game writes.
    Check(money::FormatRequest(request) == line.text + "\r\n");
    if (request.verb == money::Verb::kCreditQuery || request.verb == money::Verb::kBankQuery ||
        request.verb == money::Verb::kTerm) {
      Check(request.amount == 0);
      continue;
    }
    Check(request.amount >= 1 && request.amount <= money::kMaxAmount);
    const auto decision = money::Decide(KindOf(request.verb), totals, request.amount);
    if (request.verb != money::Verb::kUseCredits) Check(decision.has_value());
    if (!decision) {
      Check(totals.credits + totals.bank < request.amount);
      continue;
    }
    const money::Totals after = money::Apply(totals, decision->delta);
    Check(after.credits >= 0 && after.bank >= 0);
    const int64_t moved = (after.credits + after.bank) - (totals.credits + totals.bank);
    Check(moved == (request.verb == money::Verb::kUseCredits ? -request.amount : request.amount));
    totals = after;
  }
  return 0;
}

// Requests as the game sends them, and a line at the length limit.
std::vector<std::string> FuzzSeeds() {
  return {"CGET\r\n", "CUSE,50\r\nBADD,200\nCADD,5\r\nTERM\r\n", "CADD,100000\r\n",
          std::string(4094, 'A') + "\n"};
}

// The protocol's words, line ends and the numbers at its limits.
std::vector<std::string> FuzzDictionary() {
  return {"CGET",   "BGET",
          "CUSE",   "BADD",
          "CADD",   "TERM",
          ",",      "\r\n",
          "\n",     "\r",
          "0",      "1",
          "50",     "99999",
          "100000", "100001",
          "-",      "+",
          " ",      std::string(1, '\0'),
          "CTEL",   "FAIL",
          "07",     "\xff",
          "\t",     std::string(4090, 'A')};
}
