#include "questions/question_packs.h"

#include <cstdio>
#include <cstring>

#include "accounting/accounting.h"
#include "game/game_flow.h"
#include "graphics/display.h"
#include "questions/pack_format.h"
#include "shell/eventlog.h"
#include "shell/system.h"
#include "shell/timing.h"

// clang-format off
PackEntry packTable[kPackCount + 1] = {
    {"Questions\\trueorfalse\\Data01.pck", 1, " TRUE ", 1, 0, 0},
    {"Questions\\trueorfalse\\Data02.pck", 1, " FALSE", 0, 0, 0},
    {"Questions\\trueorfalse\\Data03.pck", 2, " TRUE ", 1, 0, 0},
    {"Questions\\trueorfalse\\Data04.pck", 2, " FALSE", 0, 0, 0},
    {"Questions\\trueorfalse\\Data05.pck", 3, " TRUE ", 1, 0, 0},
    {"Questions\\trueorfalse\\Data06.pck", 3, " FALSE", 0, 0, 0},
    {"Questions\\trueorfalse\\Data07.pck", 4, " TRUE ", 1, 0, 0},
    {"Questions\\trueorfalse\\Data08.pck", 4, " FALSE", 0, 0, 0},
    {"Questions\\trueorfalse\\Data09.pck", 5, " TRUE ", 1, 0, 0},
    {"Questions\\trueorfalse\\Data10.pck", 5, " FALSE", 0, 0, 0},
    {"Questions\\trueorfalse\\Data11.pck", 6, " TRUE ", 1, 0, 0},
    {"Questions\\trueorfalse\\Data12.pck", 6, " FALSE", 0, 0, 0},
    {"Questions\\trueorfalse\\Data13.pck", 7, " TRUE ", 1, 0, 0},
    {"Questions\\trueorfalse\\Data14.pck", 7, " FALSE", 0, 0, 0},
    {"Questions\\trueorfalse\\Data15.pck", 8, " TRUE ", 1, 0, 0},
    {"Questions\\trueorfalse\\Data16.pck", 8, " FALSE", 0, 0, 0},
    {"Questions\\trueorfalse\\Data17.pck", 9, " TRUE ", 1, 0, 0},
    {"Questions\\trueorfalse\\Data18.pck", 9, " FALSE", 0, 0, 0},
    {"Questions\\trueorfalse\\Data19.pck", 10, " TRUE ", 1, 0, 0},
    {"Questions\\trueorfalse\\Data20.pck", 10, " FALSE", 0, 0, 0},
    {"Questions\\trueorfalse\\Data21.pck", 11, " TRUE ", 1, 0, 0},
    {"Questions\\trueorfalse\\Data22.pck", 11, " FALSE", 0, 0, 0},
    {"Questions\\trueorfalse\\Data23.pck", 12, " TRUE ", 1, 0, 0},
    {"Questions\\trueorfalse\\Data24.pck", 12, " FALSE", 0, 0, 0},
    {"Questions\\trueorfalse\\Data25.pck", 13, " TRUE ", 1, 0, 0},
    {"Questions\\trueorfalse\\Data26.pck", 13, " FALSE", 0, 0, 0},
    {"Questions\\trueorfalse\\Data27.pck", 14, " TRUE ", 1, 0, 0},
    {"Questions\\trueorfalse\\Data28.pck", 14, " FALSE", 0, 0, 0},
    {"Questions\\trueorfalse\\Data29.pck", 15, " TRUE ", 1, 0, 0},
    {"Questions\\trueorfalse\\Data30.pck", 15, " FALSE", 0, 0, 0},
    {"Questions\\trueorfalse\\Data31.pck", 16, " TRUE ", 1, 0, 0},
    {"Questions\\trueorfalse\\Data32.pck", 16, " FALSE", 0, 0, 0},
    {"Questions\\trueorfalse\\Data33.pck", 17, " TRUE ", 1, 0, 0},
    {"Questions\\trueorfalse\\Data34.pck", 17, " FALSE", 0, 0, 0},
    {"Questions\\trueorfalse\\Data35.pck", 18, " TRUE ", 1, 0, 0},
    {"Questions\\trueorfalse\\Data36.pck", 18, " FALSE", 0, 0, 0},
    {"Questions\\trueorfalse\\Data37.pck", 19, " TRUE ", 1, 0, 0},
    {"Questions\\trueorfalse\\Data38.pck", 19, " FALSE", 0, 0, 0},
    {"Questions\\trueorfalse\\Data39.pck", 20, " TRUE ", 1, 0, 0},
    {"Questions\\trueorfalse\\Data40.pck", 20, " FALSE", 0, 0, 0},
    {"Questions\\trueorfalse\\Data41.pck", 21, " TRUE ", 1, 0, 0},
    {"Questions\\trueorfalse\\Data42.pck", 21, " FALSE", 0, 0, 0},
    {"Questions\\trueorfalse\\Data43.pck", 22, " TRUE ", 1, 0, 0},
    {"Questions\\trueorfalse\\Data44.pck", 22, " FALSE", 0, 0, 0},
    {"Questions\\trueorfalse\\Data45.pck", 23, " TRUE ", 1, 0, 0},
    {"Questions\\trueorfalse\\Data46.pck", 23, " FALSE", 0, 0, 0},
    {"Questions\\trueorfalse\\Data47.pck", 24, " TRUE ", 1, 0, 0},
    {"Questions\\trueorfalse\\Data48.pck", 24, " FALSE", 0, 0, 0},
    {"Questions\\trueorfalse\\VexalIntroFalse.pck", 25, " FALSE", 0, 0, 0},
    {"Questions\\trueorfalse\\VexalIntroTrue.pck", 25, " TRUE", 1, 0, 0},
    {nullptr, 0, nullptr, 0, 0, 0},
};

const int8_t categoryTable[kCategoryTurns][kQuestionModes] = {
    { 1,  1,  1,  1,  1},
    { 2,  2,  2,  2,  2},
    { 3,  3,  3,  3,  3},
    { 4,  4,  4,  4,  4},
    { 5,  5,  5,  1,  1},
    {15,  6,  6,  2,  2},
    {16,  7,  7,  3,  3},
    {17, 17,  8,  5,  4},
    {18, 18,  9,  6,  1},
    {19, 19, 10,  7,  2},
    {20, 20, 11,  8,  3},
    {21, 21, 12,  9,  4},
    {22, 22, 13, 10,  5},
    {23, 23, 14, 11,  6},
    {24, 24, 15, 12,  7},
    {15, 15, 16, 13,  8},
    {16, 16, 17, 14,  9},
    {17, 17, 18, 15, 10},
    {18, 18, 19, 16, 11},
    {19, 19, 20, 17, 12},
    {20, 20, 21, 18, 13},
    {21, 21, 22, 19, 14},
    {22, 22, 23, 20,  5},
    {23, 23, 24, 21,  6},
    {24, 24, 15, 22,  7},
    {15, 15, 16, 23,  8},
    {16, 16, 17, 24,  9},
    {17, 17, 18, 15, 10},
    {18, 18, 19, 16, 11},
    {19, 19, 20, 17, 12},
    {20, 20, 21, 18, 13},
    {21, 21, 22, 19, 14},
    {22, 22, 23, 20,  5},
    {23, 23, 24, 21,  6},
    {24, 24, 15, 22,  7},
    {15, 15, 16, 23,  8},
    {16, 16, 17, 24,  9},
    {17, 17, 18, 15, 10},
    {18, 18, 19, 16, 11},
    {19, 19, 20, 17, 12},
    {20, 20, 21, 18, 15},
    {21, 21, 22, 19, 16},
    {22, 22, 23, 20, 17},
    {23, 23, 24, 21, 18},
    {24, 24, 15, 22, 19},
    {15, 15, 16, 23, 20},
    {16, 16, 17, 24, 21},
    {17, 17, 18, 15, 22},
    {18, 18, 19, 16, 23},
    {19, 19, 20, 17, 24},
    {20, 20, 21, 18, 15},
    {21, 21, 22, 19, 16},
    {22, 22, 23, 20, 17},
    {23, 23, 24, 21, 18},
    {24, 24, 15, 22, 19},
    {15, 15, 16, 23, 20},
    {16, 16, 17, 24, 21},
    {17, 17, 18, 15, 22},
    {18, 18, 19, 16, 23},
    {19, 19, 20, 17, 24},
};
// clang-format on

namespace {

FILE* gPack = nullptr;  // the one pack open, only inside LoadQuestionPacks and LoadQuestion
int32_t gKeyPosition = 0;
char gLineBuffer[kLineBufferSize];
char gQuestionText[kQuestionTextSize];
int32_t gCorrectAnswer = 0;
int32_t gQuestionPack = -1;
int32_t gQuestionLine = -1;

// Asked when the pack a question was drawn from cannot give its statement any more:
// a question anyone can answer, of the truth value already tossed, so the round plays on
// fairly. Indexed by the answer.
const char* const kStandbyQuestion[2] = {
    "A football team has fifteen players on the pitch at kick-off. ",
    "A football team has eleven players on the pitch at kick-off. ",
};

void ClosePack() {
  if (gPack) std::fclose(gPack);
  gPack = nullptr;
}

void AskStandby(const PackEntry& entry, const char* why) {
  ClosePack();
  LogMessage("Question pack %s %s - a standby question was asked\n", entry.path, why);
  std::snprintf(gQuestionText, sizeof gQuestionText, "%s", kStandbyQuestion[entry.answer ? 1 : 0]);
}

}  // namespace

bool ReadPackLine() {
  if (!gPack) {
    gLineBuffer[0] = '\0';
    return false;
  }
  PackLineRead read = ReadScrambledLine(gPack, kPackKey, KeyLength(kPackKey), gKeyPosition,
                                        gLineBuffer, kLineBufferSize);
  return !read.endOfFile;
}

const char* PackLineBuffer() {
  return gLineBuffer;
}

void ExpandQuestionText(const char* line, char* text) {
  ExpandPackText(line, text, kQuestionTextSize, nullptr);
}

int32_t CountPackLines(const PackEntry& entry) {
  ClosePack();
  gPack = Sys().OpenFile(entry.path, "rb");
  if (!gPack) return -1;
  gKeyPosition = 0;
  int32_t reads = 1;
  while (ReadPackLine())
    if (reads < INT32_MAX) ++reads;
  ClosePack();
  // The last read met the end of the file: it is not a line.
  return reads - 1;
}

bool LoadQuestionPacks() {
  for (PackEntry* entry = packTable; entry->path; ++entry) {
    int32_t lines = CountPackLines(*entry);
    if (lines < 0) {
      ShutdownDisplay(18);
      return false;
    }
    entry->lineCount = lines;
  }
  return true;
}

void LoadQuestion(int32_t category, int32_t answer) {
  const PackEntry* entry = packTable;
  while (entry->path && !(entry->answer == answer && entry->category == category)) ++entry;
  gQuestionPack = entry->path ? static_cast<int32_t>(entry - packTable) : -1;
  gQuestionLine = -1;
  if (!entry->path) {
    std::snprintf(gQuestionText, sizeof gQuestionText, "NOT FOUND! %d, %d", category, answer);
    return;
  }
  ClosePack();
  gPack = Sys().OpenFile(entry->path, "rb");
  if (!gPack) return AskStandby(*entry, "cannot be opened");
  gKeyPosition = 0;
  if (entry->lineCount <= 0) return AskStandby(*entry, "holds no statements");
  uint32_t skip = RandomBelow(static_cast<uint32_t>(entry->lineCount));
  gQuestionLine = static_cast<int32_t>(skip);
  for (uint32_t i = 0; i < skip; ++i)
    if (!ReadPackLine()) return AskStandby(*entry, "is shorter than at start-up");
  // Every counted line ends with a newline; meeting the end instead means the file changed.
  if (!ReadPackLine()) return AskStandby(*entry, "is shorter than at start-up");
  ExpandQuestionText(gLineBuffer, gQuestionText);
  CutAtLastStar(gQuestionText, entry->category == kIntroCategory);
  if (gQuestionText[0] == '\0') return AskStandby(*entry, "has an empty statement");
  ClosePack();
}

void ChooseQuestion() {
  gCorrectAnswer = RandomPercent(50) ? 1 : 0;
  int32_t category;
  if (turnCount >= kCategoryTurns) {
    category = 24;
  } else {
    int32_t turn = turnCount < 0 ? 0 : turnCount;
    int32_t mode = controlTable.controlModeQuestion;
    if (mode < 0 || mode >= kQuestionModes) mode = 0;
    category = categoryTable[turn][mode];
    if (category <= 4 && RandomPercent(75)) category = kIntroCategory;
  }
  LoadQuestion(category, gCorrectAnswer);
}

const char* GetQuestionText() {
  return gQuestionText;
}

int32_t GetCorrectAnswer() {
  return gCorrectAnswer;
}

int32_t GetQuestionPack() {
  return gQuestionPack;
}

int32_t GetQuestionLine() {
  return gQuestionLine;
}

void ResetQuestionPacks() {
  ClosePack();
  for (PackEntry* entry = packTable; entry->path; ++entry) entry->lineCount = 0;
  gKeyPosition = 0;
  gLineBuffer[0] = '\0';
  gQuestionText[0] = '\0';
  gCorrectAnswer = 0;
  gQuestionPack = gQuestionLine = -1;
}
