#include "pack_text.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string_view>

#include "questions/pack_format.h"

namespace packtool {

namespace {

constexpr char kPoundUtf8[] = "\xC2\xA3";

std::string Hex(unsigned value) {
  char text[16];
  std::snprintf(text, sizeof text, "%02X", value);
  return text;
}

// The code point of the UTF-8 sequence at s[i] and its length; length 1 and -1 for a byte
// that starts no valid sequence.
int DecodeUtf8(const std::string& s, size_t i, int& length) {
  auto c = static_cast<unsigned char>(s[i]);
  length = 1;
  if (c < 0x80) return c;
  int need = c >= 0xC2 && c < 0xE0    ? 1
             : c >= 0xE0 && c < 0xF0  ? 2
             : c >= 0xF0 && c <= 0xF4 ? 3
                                      : -1;
  if (need < 0 || i + static_cast<size_t>(need) >= s.size()) return -1;
  int code = c & (0x3F >> need);
  for (int k = 1; k <= need; ++k) {
    auto t = static_cast<unsigned char>(s[i + static_cast<size_t>(k)]);
    if ((t & 0xC0) != 0x80) return -1;
    code = (code << 6) | (t & 0x3F);
  }
  length = need + 1;
  return code;
}

}  // namespace

const std::vector<PackSource>& PackSources() {
  static const std::vector<PackSource> sources = [] {
    std::vector<PackSource> list;
    for (int nn = 1; nn <= 48; ++nn) {
      char name[16];
      std::snprintf(name, sizeof name, "Data%02d", nn);
      list.push_back({name, (nn + 1) / 2, nn % 2});
    }
    list.push_back({"VexalIntroFalse", 25, 0});
    list.push_back({"VexalIntroTrue", 25, 1});
    return list;
  }();
  return sources;
}

const PackSource* FindPackSource(const std::string& fileName) {
  std::string base = fileName.substr(fileName.find_last_of("/\\") + 1);
  base = base.substr(0, base.find('.'));
  for (const PackSource& s : PackSources())
    if (s.name == base) return &s;
  return nullptr;
}

std::vector<std::string> SplitSourceLines(const std::string& bytes) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    if (end < bytes.size() && !line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

std::string ToPackText(const std::string& sourceLine, std::vector<std::string>* problems) {
  std::string text;
  for (size_t i = 0; i < sourceLine.size();) {
    int length;
    int code = DecodeUtf8(sourceLine, i, length);
    std::string problem;
    if (code == 0xA3) {
      text += kPoundStandIn;
    } else if (code == kPoundStandIn) {
      problem = "\"#\" is not allowed: packs use it for the pound sign, so write \"£\"";
    } else if (code >= 32 && code <= 126) {
      text += static_cast<char>(code);
    } else if (code < 0) {
      problem = "byte 0x" + Hex(static_cast<unsigned char>(sourceLine[i])) +
                " is not UTF-8 text (sources are UTF-8)";
    } else if (code < 128) {
      problem = "control byte 0x" + Hex(static_cast<unsigned>(code)) + " is not in the font";
    } else {
      problem = "character U+" + Hex(static_cast<unsigned>(code)) + " \"" +
                sourceLine.substr(i, static_cast<size_t>(length)) + "\" is not in the font";
    }
    if (!problem.empty() && problems) problems->push_back(problem);
    i += static_cast<size_t>(length);
  }
  return text;
}

std::string ToSourceText(const std::string& packText) {
  std::string text;
  for (char c : packText) {
    if (c == kPoundStandIn || c == kPoundCode)
      text += kPoundUtf8;
    else
      text += c;
  }
  return text;
}

std::string CompressText(const std::string& plain) {
  // best[i]: fewest bytes that spell plain[i..]; pick[i]: the code that starts them, or -1
  // for the byte itself.
  size_t n = plain.size();
  std::vector<int> best(n + 1, 0), pick(n + 1, -1);
  for (size_t i = n; i-- > 0;) {
    best[i] = best[i + 1] + 1;
    pick[i] = -1;
    for (int code = 0; code < 128; ++code) {
      std::string_view word = wordTable[code];
      if (word.size() > n - i || plain.compare(i, word.size(), word) != 0) continue;
      if (best[i + word.size()] + 1 < best[i]) {
        best[i] = best[i + word.size()] + 1;
        pick[i] = code;
      }
    }
  }
  std::string packed;
  for (size_t i = 0; i < n;) {
    if (pick[i] < 0) {
      packed += plain[i++];
    } else {
      packed += static_cast<char>(0x80 + pick[i]);
      i += std::strlen(wordTable[pick[i]]);
    }
  }
  return packed;
}

std::string ExpandText(const std::string& packed) {
  std::string line(packed.c_str());  // the game reads a line up to its first zero byte
  std::vector<char> text(line.size() * 8 + 1);
  int length = ExpandPackText(line.c_str(), text.data(), static_cast<int>(text.size()), nullptr);
  return std::string(text.data(), static_cast<size_t>(length));
}

std::string EncodePack(const std::vector<std::string>& packTextLines, bool intro) {
  std::string plain;
  for (std::string line : packTextLines) {
    size_t star = line.rfind('*');
    if (intro && star != std::string::npos) line.insert(star, 1, kIntroFiller);
    plain += CompressText(line);
    plain += '\n';
  }
  int keyLength = KeyLength(kPackKey);
  std::string bytes(plain.size(), '\0');
  for (size_t i = 0; i < plain.size(); ++i)
    bytes[i] = static_cast<char>(
        ScrambleByte(static_cast<uint8_t>(plain[i]), kPackKey[i % static_cast<size_t>(keyLength)]));
  return bytes;
}

DecodedPack DecodePack(const std::string& bytes, bool intro) {
  DecodedPack pack;
  if (bytes.empty()) return pack;
  std::string copy = bytes;
  FILE* file = fmemopen(copy.data(), copy.size(), "rb");
  if (!file) {
    pack.warnings.push_back("cannot read the pack from memory");
    return pack;
  }
  int32_t keyPosition = 0;
  char buffer[kLineBufferSize];
  for (int number = 1;; ++number) {
    PackLineRead read = ReadScrambledLine(file, kPackKey, KeyLength(kPackKey), keyPosition, buffer,
                                          kLineBufferSize);
    std::string where = "line " + std::to_string(number) + ": ";
    if (read.endOfFile) {
      if (read.length > 0)
        pack.warnings.push_back(where + "no newline at the end, so the game never asks it");
      break;
    }
    if (read.cut)
      pack.warnings.push_back(where + "longer than " + std::to_string(kLineBufferSize - 1) +
                              " bytes; the game reads only the first ones");
    std::string text = ExpandText(std::string(buffer, static_cast<size_t>(read.length)));
    if (text.size() > static_cast<size_t>(kQuestionTextSize - 1))
      pack.warnings.push_back(where + "expands to " + std::to_string(text.size()) +
                              " characters; the game keeps " +
                              std::to_string(kQuestionTextSize - 1));
    size_t star = text.rfind('*');
    if (star == std::string::npos)
      pack.warnings.push_back(where + "no \"*\", so the game asks the whole line");
    else if (intro && star > 0)
      text.erase(star - 1, 1);
    pack.lines.push_back(ToSourceText(text));
  }
  std::fclose(file);
  return pack;
}

bool ReadWholeFile(const std::string& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::stringstream s;
  s << in.rdbuf();
  bytes = s.str();
  return true;
}

}  // namespace packtool
