// The true-or-false question packs: 50 scrambled, compressed files of one-line statements,
// each holding statements of one truth value in one category. Start-up counts the lines
// of every pack; each question tosses the answer, picks the category from the turn and
// the control table, and reads one random statement of the matching pack.
#pragma once

#include <cstdint>

struct PackEntry {
  const char* path;         // relative to the game folder; null ends the table
  int32_t category;         // 1..25
  const char* answerLabel;  // " TRUE " or " FALSE" (" TRUE" for the intro true pack)
  int32_t answer;           // 1: every statement is true, 0: every one is false
  int32_t reserved;
  int32_t lineCount;  // filled in by LoadQuestionPacks
};

inline constexpr int kPackCount = 50;
extern PackEntry packTable[kPackCount + 1];

inline constexpr int kCategoryTurns = 60;
inline constexpr int kQuestionModes = 5;
// The category asked at each turn (row) under each question control mode (column).
extern const int8_t categoryTable[kCategoryTurns][kQuestionModes];

// Counts the lines of every pack. A pack that cannot be opened releases the display
// (code 18) and gives false at once.
bool LoadQuestionPacks();
// Tosses the correct answer, picks the category and loads a statement of it.
void ChooseQuestion();
// Loads a random statement of the pack with this category and answer.
void LoadQuestion(int32_t category, int32_t answer);
// The current question, at most 199 characters; valid until the next ChooseQuestion.
const char* GetQuestionText();
// The truth value of the current question: 1 or 0.
int32_t GetCorrectAnswer();
// Where the current question came from: its pack's row in packTable (-1 for none) and its
// line in the pack, from 0.
int32_t GetQuestionPack();
int32_t GetQuestionLine();

// The reading steps, open to tests: the next line of the open pack into the line buffer
// (false when the read met the end of the file), and a line expanded into a text of
// kQuestionTextSize bytes.
bool ReadPackLine();
// The lines of one pack as start-up counts them; -1 when it cannot be opened.
int32_t CountPackLines(const PackEntry& entry);
const char* PackLineBuffer();
void ExpandQuestionText(const char* line, char* text);

// Back to a program that has just started: no lines counted, no question.
void ResetQuestionPacks();
