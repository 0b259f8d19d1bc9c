// The bot players of the payout sheet: a table of named players (content/players.txt), each
// with its accuracy by question class, reaction times, use of reveal tokens, way of picking
// hexagons, collect strategy and memory; and the uniform players "skill-P" that answer every
// question rightly with one chance P.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

enum class CollectStrategy {
  First,  // at the first prize reached
  Best,   // once a prize is reached and no points hexagon is left on the board
  Never,  // plays to a loss or the jackpot
};

const char* CollectName(CollectStrategy c);
bool ParseCollect(const std::string& text, CollectStrategy& out);

// The question classes, from the categories' written difficulty: intro (25), easy (1..4),
// middling (5..14), hard (15..24).
enum QuestionClass { kIntro, kEasy, kMiddling, kHard, kQuestionClasses };
QuestionClass ClassOfCategory(int category);
const char* QuestionClassName(int c);

enum class HexagonPick {
  Random,   // any hexagon not played yet
  Preview,  // remembers faces of the preview and goes for boots, then points, first
};

struct Player {
  std::string name;
  // A uniform player answers rightly with chance `skill` whatever the question and spends
  // a reveal token instead of a wrong answer (it knows when it would be wrong).
  bool uniform = true;
  double skill = 0.7;
  // A table player knows the answer with chance 2a - 1 for its class accuracy a and guesses
  // otherwise (a right guess half the time), so that without tokens it is right with chance
  // a; when unsure it spends a token if it has one and `revealWhenUnsure`.
  std::array<double, kQuestionClasses> accuracy{};
  bool revealWhenUnsure = true;
  std::array<uint32_t, 2> answerMs{1000, 6000};  // reaction time to a question, ms
  std::array<uint32_t, 2> pickMs{500, 3000};     // to a hexagon
  HexagonPick pick = HexagonPick::Random;
  double recall = 0;  // the chance of remembering a hexagon's face from the preview
  CollectStrategy collect = CollectStrategy::Best;
  bool memorises = false;  // remembers every statement asked, with its answer, across games
};

// A uniform player "skill-P" (P with up to three decimals).
Player UniformPlayer(double skill);
// Parses "skill-P"; false when the name is not of that form or P is not in 0..1.
bool ParseUniformName(const std::string& name, double& skill);

// Reads the player table: one player a line, '#' comments and blank lines skipped. At most
// kMaxPlayerTableBytes; false with "line N: reason" when a line is not a player.
inline constexpr size_t kMaxPlayerTableBytes = 64 * 1024;
bool ParsePlayerTable(const std::string& text, std::vector<Player>& players, std::string& error);
bool ReadPlayerTable(const std::string& path, std::vector<Player>& players, std::string& error);

// A table player as one line of the table (ParsePlayerTable reads it back the same).
std::string PlayerLine(const Player& p);

// The player of that name in the table, or a uniform "skill-P"; false when neither.
bool FindPlayer(const std::vector<Player>& table, const std::string& name, Player& out);

}  // namespace sim
