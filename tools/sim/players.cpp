#include "players.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace sim {

const char* CollectName(CollectStrategy c) {
  return c == CollectStrategy::First ? "first" : c == CollectStrategy::Best ? "best" : "never";
}

bool ParseCollect(const std::string& text, CollectStrategy& out) {
  for (CollectStrategy c : {CollectStrategy::First, CollectStrategy::Best, CollectStrategy::Never})
    if (text == CollectName(c)) {
      out = c;
      return true;
    }
  return false;
}

QuestionClass ClassOfCategory(int category) {
  if (category >= 1 && category <= 4) return kEasy;
  if (category >= 5 && category <= 14) return kMiddling;
  if (category >= 15 && category <= 24) return kHard;
  return kIntro;
}

const char* QuestionClassName(int c) {
  static const char* const kNames[] = {"intro", "easy", "middling", "hard"};
  return c >= 0 && c < kQuestionClasses ? kNames[c] : "?";
}

Player UniformPlayer(double skill) {
  Player p;
  char name[32];
  std::snprintf(name, sizeof name, "skill-%.3f", skill);
  // "skill-0.500" reads as "skill-0.5".
  std::string text = name;
  while (text.back() == '0') text.pop_back();
  if (text.back() == '.') text.pop_back();
  p.name = text;
  p.uniform = true;
  p.skill = skill;
  return p;
}

bool ParseUniformName(const std::string& name, double& skill) {
  const std::string prefix = "skill-";
  if (name.compare(0, prefix.size(), prefix) != 0 || name.size() == prefix.size() ||
      name.size() > prefix.size() + 5)
    return false;
  const std::string number = name.substr(prefix.size());
  if (number.find_first_not_of("0123456789.") != std::string::npos) return false;
  char* end = nullptr;
  skill = std::strtod(number.c_str(), &end);
  return *end == '\0' && skill >= 0.0 && skill <= 1.0;
}

namespace {

bool ParseNumber(const std::string& word, double low, double high, double& out) {
  if (word.empty() || word.size() > 16) return false;
  char* end = nullptr;
  out = std::strtod(word.c_str(), &end);
  return *end == '\0' && out >= low && out <= high;
}

bool ParseRange(const std::string& word, std::array<uint32_t, 2>& out) {
  size_t dash = word.find('-');
  if (dash == std::string::npos || word.size() > 16) return false;
  double low = 0, high = 0;
  if (!ParseNumber(word.substr(0, dash), 0, 60000, low) ||
      !ParseNumber(word.substr(dash + 1), 0, 60000, high) || low > high || low != std::floor(low) ||
      high != std::floor(high))
    return false;
  out = {static_cast<uint32_t>(low), static_cast<uint32_t>(high)};
  return true;
}

bool GoodName(const std::string& name) {
  if (name.empty() || name.size() > 32 || name.compare(0, 6, "skill-") == 0) return false;
  for (char c : name)
    if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-')) return false;
  return true;
}

// One line's words into a player; the reason when a word is wrong.
bool ParsePlayerLine(const std::vector<std::string>& w, Player& p, std::string& why) {
  if (w.size() != 12) {
    why = "expected 12 columns, found " + std::to_string(w.size());
    return false;
  }
  if (!GoodName(w[0])) {
    why = "\"" + w[0] + "\" is not a player name (a-z, 0-9 and '-', not skill-...)";
    return false;
  }
  p = Player();
  p.name = w[0];
  p.uniform = false;
  for (int c = 0; c < kQuestionClasses; ++c)
    if (w[1 + c].size() > 5 || !ParseNumber(w[1 + c], 0.5, 1.0, p.accuracy[c])) {
      why = std::string(QuestionClassName(c)) + " accuracy \"" + w[1 + c] +
            "\" is not in 0.5..1 with up to three decimals";
      return false;
    }
  if (!ParseRange(w[5], p.answerMs) || !ParseRange(w[6], p.pickMs)) {
    why = "reaction times are LOW-HIGH whole ms up to 60000";
    return false;
  }
  if (w[7] != "unsure" && w[7] != "never") {
    why = "reveal is unsure or never, not \"" + w[7] + "\"";
    return false;
  }
  p.revealWhenUnsure = w[7] == "unsure";
  if (w[8] != "random" && w[8] != "preview") {
    why = "hexagons is random or preview, not \"" + w[8] + "\"";
    return false;
  }
  p.pick = w[8] == "random" ? HexagonPick::Random : HexagonPick::Preview;
  if (w[9].size() > 5 || !ParseNumber(w[9], 0, 1, p.recall)) {
    why = "recall \"" + w[9] + "\" is not in 0..1 with up to three decimals";
    return false;
  }
  if (!ParseCollect(w[10], p.collect)) {
    why = "collect is first, best or never, not \"" + w[10] + "\"";
    return false;
  }
  if (w[11] != "yes" && w[11] != "no") {
    why = "memory is yes or no, not \"" + w[11] + "\"";
    return false;
  }
  p.memorises = w[11] == "yes";
  return true;
}

}  // namespace

bool ParsePlayerTable(const std::string& text, std::vector<Player>& players, std::string& error) {
  players.clear();
  if (text.size() > kMaxPlayerTableBytes) {
    error = "the table is larger than " + std::to_string(kMaxPlayerTableBytes) + " bytes";
    return false;
  }
  std::istringstream in(text);
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream words(line);
    std::vector<std::string> w;
    std::string word;
    while (words >> word && w.size() < 13) w.push_back(word);
    if (w.empty() || w[0][0] == '#') continue;
    Player p;
    std::string why;
    if (!ParsePlayerLine(w, p, why)) {
      error = "line " + std::to_string(number) + ": " + why;
      return false;
    }
    for (const Player& q : players)
      if (q.name == p.name) {
        error = "line " + std::to_string(number) + ": " + p.name + " is named twice";
        return false;
      }
    players.push_back(p);
  }
  if (players.empty()) {
    error = "the table names no player";
    return false;
  }
  return true;
}

bool ReadPlayerTable(const std::string& path, std::vector<Player>& players, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot read the player table " + path;
    return false;
  }
  std::string text(kMaxPlayerTableBytes + 1, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<size_t>(in.gcount()));
  if (!ParsePlayerTable(text, players, error)) {
    error = path + ": " + error;
    return false;
  }
  return true;
}

std::string PlayerLine(const Player& p) {
  char line[256];
  std::snprintf(line, sizeof line, "%s %.4g %.4g %.4g %.4g %u-%u %u-%u %s %s %.4g %s %s",
                p.name.c_str(), p.accuracy[kIntro], p.accuracy[kEasy], p.accuracy[kMiddling],
                p.accuracy[kHard], p.answerMs[0], p.answerMs[1], p.pickMs[0], p.pickMs[1],
                p.revealWhenUnsure ? "unsure" : "never",
                p.pick == HexagonPick::Random ? "random" : "preview", p.recall,
                CollectName(p.collect), p.memorises ? "yes" : "no");
  return line;
}

bool FindPlayer(const std::vector<Player>& table, const std::string& name, Player& out) {
  double skill = 0;
  if (ParseUniformName(name, skill)) {
    out = UniformPlayer(skill);
    return true;
  }
  for (const Player& p : table)
    if (p.name == name) {
      out = p;
      return true;
    }
  return false;
}

}  // namespace sim
