#include "accounting/game_steps.h"

#include <cstdio>
#include <cstdlib>

namespace steps {

namespace {

bool Escaped(char c) {
  return c == ' ' || c == '=' || c == '%' || static_cast<unsigned char>(c) < 0x20;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool Unescape(const std::string& in, std::string& out) {
  out.clear();
  for (size_t i = 0; i < in.size(); ++i) {
    if (in[i] != '%') {
      out += in[i];
      continue;
    }
    if (i + 2 >= in.size()) return false;
    const int high = HexDigit(in[i + 1]), low = HexDigit(in[i + 2]);
    if (high < 0 || low < 0) return false;
    out += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return true;
}

std::string Seconds(int64_t ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f s", static_cast<double>(ms) / 1000.0);
  return text;
}

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

std::string DescribeWait(const Fields& f) {
  const std::string on = Get(f, "on"), result = Get(f, "result");
  const int64_t ms = GetInt(f, "ms"), left = GetInt(f, "left", -1);
  const std::string after = " after " + Seconds(ms);
  const std::string leftText = left >= 0 ? ", " + Seconds(left) + " left" : "";
  const std::string turn = "turn " + Get(f, "turn") + ": ";
  if (on == "pick") {
    if (result == "3") return "start pick: time-out";
    return "start pick: box " + std::to_string(GetInt(f, "result") + 1) + " touched" + after;
  }
  if (on == "board") {
    if (result == "21") return turn + "time-out on the board";
    if (result == "20") return turn + "COLLECT touched" + after;
    return turn + "hexagon " + result + " touched" + after + leftText;
  }
  if (on == "answer") {
    static const char* const kAnswers[] = {"TRUE", "FALSE", "REVEAL"};
    const int64_t r = GetInt(f, "result", -1);
    if (r < 0 || r > 2) return turn + "time-out on the question";
    return turn + kAnswers[r] + " touched" + after + leftText;
  }
  return "screen touched at " + Get(f, "x") + "," + Get(f, "y") + after;
}

std::string DescribeTurn(const Fields& f) {
  std::string out = "turn " + Get(f, "turn") + ": hexagon " + Get(f, "hex");
  if (Get(f, "by") == "time") out += " (chosen at the time-out)";
  const std::string feature = Get(f, "feature");
  if (feature == "points") {
    out += ", " + Thousands(GetInt(f, "value")) + " points";
  } else if (feature == "boot") {
    out += ", a boot";
  } else if (feature == "extra life") {
    out += ", an extra life";
  } else if (feature == "reveal") {
    out += ", a reveal token";
  } else if (feature == "double or quits") {
    out += ", double or quits";
  }
  if (!Get(f, "truth").empty()) {
    const std::string answer = Get(f, "answer");
    std::string text = Get(f, "text");
    while (!text.empty() && text.back() == ' ') text.pop_back();
    out += ", question: '" + text + "' ";
    if (answer == "time") {
      out += "not answered in time";
    } else {
      out += "answered " + Upper(answer == "reveal" ? "reveal" : answer);
      if (answer == "reveal") out += " (" + Upper(Get(f, "truth") == "1" ? "true" : "false") + ")";
    }
    out += GetInt(f, "right") ? ", right" : ", wrong";
    if (answer != "time") out += ", " + Seconds(GetInt(f, "left")) + " left";
  }
  out += "; points " + Thousands(GetInt(f, "points0")) + " -> " + Thousands(GetInt(f, "points"));
  out += "; lives " + Get(f, "lives") + ", reveals " + Get(f, "reveals") + ", boots " +
         Get(f, "boots") + ", cashpot " + Pounds(GetInt(f, "cashpot"));
  if (GetInt(f, "prize") > 0) out += ", prize reached " + Pounds(GetInt(f, "prize"));
  return out;
}

}  // namespace

std::string Encode(const Fields& fields) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const auto& [key, value] : fields) {
    if (!out.empty()) out += ' ';
    out += key + '=';
    for (char c : value) {
      if (!Escaped(c)) {
        out += c;
        continue;
      }
      const auto u = static_cast<unsigned char>(c);
      out += '%';
      out += kHex[u >> 4];
      out += kHex[u & 15];
    }
  }
  return out;
}

bool Decode(const std::string& data, Fields& fields, std::string& error) {
  fields.clear();
  if (data.size() > kMaxDataBytes) {
    error = "a step of " + std::to_string(data.size()) + " bytes (at most " +
            std::to_string(kMaxDataBytes) + ")";
    return false;
  }
  size_t start = 0;
  while (start < data.size()) {
    size_t end = data.find(' ', start);
    if (end == std::string::npos) end = data.size();
    const std::string word = data.substr(start, end - start);
    const size_t eq = word.find('=');
    std::string value;
    if (eq == std::string::npos || eq == 0 || !Unescape(word.substr(eq + 1), value)) {
      error = "not a key=value word: \"" + word.substr(0, 40) + "\"";
      return false;
    }
    fields.emplace_back(word.substr(0, eq), value);
    start = end + 1;
  }
  return true;
}

std::string Get(const Fields& fields, const std::string& key) {
  for (const auto& [k, v] : fields)
    if (k == key) return v;
  return "";
}

int64_t GetInt(const Fields& fields, const std::string& key, int64_t otherwise) {
  const std::string v = Get(fields, key);
  if (v.empty()) return otherwise;
  char* end = nullptr;
  const long long n = std::strtoll(v.c_str(), &end, 10);
  return *end == '\0' ? n : otherwise;
}

std::string Thousands(int64_t n) {
  std::string digits = std::to_string(n < 0 ? -n : n), out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return n < 0 ? "-" + out : out;
}

std::string Pounds(int64_t pence) {
  char text[40];
  std::snprintf(text, sizeof text, "%s\xC2\xA3%lld.%02lld", pence < 0 ? "-" : "",
                static_cast<long long>((pence < 0 ? -pence : pence) / 100),
                static_cast<long long>((pence < 0 ? -pence : pence) % 100));
  return text;
}

std::string Describe(const journal::StepRow& row) {
  Fields f;
  std::string error;
  if (!Decode(row.data, f, error)) return row.kind + ": unreadable (" + error + ")";
  if (row.kind == "start")
    return "start: credits " + Pounds(GetInt(f, "credits")) + ", bank " +
           Pounds(GetInt(f, "bank")) + ", stake " + Pounds(GetInt(f, "stake")) + ", cashpot " +
           Pounds(GetInt(f, "cashpot"));
  if (row.kind == "modes")
    return "control modes: level " + Get(f, "level") + ", preview " + Get(f, "preview") +
           ", questions " + Get(f, "question") + ", lives " + Get(f, "lives") + ", grid " +
           Get(f, "grid") + ", win plan " + Get(f, "plan");
  if (row.kind == "wait") return DescribeWait(f);
  if (row.kind == "pick")
    return "start pick: box " + std::to_string(GetInt(f, "box") + 1) +
           (Get(f, "by") == "time" ? " (chosen at the time-out)" : "") + ", " + Get(f, "lives") +
           (Get(f, "lives") == "1" ? " life" : " lives");
  if (row.kind == "turn") return DescribeTurn(f);
  if (row.kind == "collect") return "collected " + Pounds(GetInt(f, "prize"));
  if (row.kind == "end")
    return "end: " + Get(f, "outcome") + ", prize " + Pounds(GetInt(f, "win")) + ", points " +
           Thousands(GetInt(f, "points")) + "; credits " + Pounds(GetInt(f, "credits")) +
           ", bank " + Pounds(GetInt(f, "bank"));
  if (row.kind == "cut")
    return "the steps after this one were not kept (a game keeps at most " +
           Thousands(journal::kMaxStepsPerGame) + ")";
  return row.kind + ": " + row.data;
}

}  // namespace steps
