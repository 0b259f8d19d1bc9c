#include "questions/true_false.h"

#include "accounting/accounting.h"
#include "frontend/buttons.h"
#include "game/game_flow.h"
#include "game/game_record.h"
#include "game/lives.h"
#include "game/points.h"
#include "graphics/fonts.h"
#include "graphics/graphic_table.h"
#include "graphics/screen_layout.h"
#include "graphics/sprites.h"
#include "questions/countdown.h"
#include "questions/question_packs.h"
#include "shell/timing.h"
#include "sound/sound.h"

namespace {

constexpr int kChoiceTrue = 0, kChoiceFalse = 1, kChoiceReveal = 2, kChoiceTimeUp = 4;
constexpr int kWordsBlank = 0, kWordsQuestion = 3;

// The question screen's sprites, loaded at the start of every question in this order.
struct QuestionSprite {
  int key;
  uint16_t frames;
};
constexpr QuestionSprite kQuestionSprites[] = {
    {kGraphicTFFont, 96},      {kGraphicTFBorder, 1},    {kGraphicTrueButton, 10},
    {kGraphicFalseButton, 10}, {kGraphicDonkeyWrong, 6}, {kGraphicWrong, 6},
    {kGraphicCorrect, 6},      {kGraphicQuestionBox, 1}, {kGraphicQuestionBoxEdge, 1},
    {kGraphicTimeup, 2},
};

void Draw(int key, int frame, int x, int y) {
  DrawSprite(GraphicSprite(key), frame, x, y, nullptr, 2);
}

void DrawQuestionScreen() {
  Draw(kGraphicTFBorder, 0, 0, 0);
  Draw(kGraphicTrueButton, 0, layout::kTrueX, layout::kAnswerY);
  Draw(kGraphicFalseButton, 0, layout::kFalseX, layout::kAnswerY);
  RefreshSidePanel();
  DrawPoints();
}

void DrawQuestionText(bool typed) {
  textOptions.centre = true;
  textOptions.centreVertically = true;
  textOptions.typewriter = typed;
  DrawText(GetQuestionText(), layout::kQuestionX, layout::kQuestionY, layout::kQuestionW,
           layout::kQuestionH, kGraphicTFFont);
}

// Every segment turns to its end frame from the left, then "time up" flashes.
void ShowTimeUp() {
  StartSound(kSoundTimeUp);
  for (int i = 2; i < kCountdownPositions; ++i) {
    Draw(kGraphicTimerBits, 1, countdownPositions[i - 1].x, countdownPositions[i - 1].y);
    PumpWait(10);
    Present();
  }
  StartSound(kSoundQuestionTimeout);
  for (int k = 0; k < 10; ++k) {
    Draw(kGraphicTimeup, k % 2 == 0 ? 1 : 0, layout::kTimerX, layout::kTimerY);
    Present();
    PumpWait(200);
  }
  Draw(kGraphicTimeup, 1, layout::kTimerX, layout::kTimerY);
}

// The result picture grows while the touched button plays its press.
void ShowAnswer(int choice, bool right) {
  int picture = kGraphicCorrect;
  if (right) {
    StartSound(kSoundCorrect);
  } else if (RandomBelow(3) == 0) {
    picture = kGraphicDonkeyWrong;
    StartSound(kSoundInCorrectDonkey);
  } else {
    picture = kGraphicWrong;
    StartSound(kSoundInCorrect);
  }
  int button = choice == kChoiceTrue ? kGraphicTrueButton : kGraphicFalseButton;
  int buttonX = choice == kChoiceTrue ? layout::kTrueX : layout::kFalseX;
  TweenStart(800);
  do {
    uint32_t buttonFrame = TweenValue(10), pictureFrame = TweenValue(6);
    if (buttonFrame > 9) buttonFrame = 9;
    if (pictureFrame > 5) pictureFrame = 5;
    Draw(picture, static_cast<int>(pictureFrame), layout::kResultX, layout::kResultY);
    Draw(button, static_cast<int>(buttonFrame), buttonX, layout::kAnswerY);
    Present();
  } while (!TweenDone());
  Draw(button, 0, buttonX, layout::kAnswerY);
  Present();
}

}  // namespace

int32_t TrueFalseQuestion() {
  CountMeter(kMeterTrueFalseRounds);
  for (const QuestionSprite& s : kQuestionSprites)
    LoadGraphic(GraphicSprite(s.key), s.key, s.frames);
  DrawQuestionScreen();
  CountdownStart(20000, false);
  CountdownUpdate();
  Present();
  ChooseQuestion();
  DrawQuestionText(true);
  Present();
  Draw(kGraphicWords, kWordsQuestion, layout::kCaptionX, layout::kCaptionY);
  // The 20 seconds start now that the whole question can be read.
  CountdownResume();
  int choice = ChooseTrueFalse();
  Draw(kGraphicWords, kWordsBlank, layout::kCaptionX, layout::kCaptionY);

  int32_t correct = GetCorrectAnswer();
  int32_t answer;  // 1 true, 0 false
  const char* answerWord = choice == kChoiceTimeUp   ? "time"
                           : choice == kChoiceReveal ? "reveal"
                           : choice == kChoiceTrue   ? "true"
                                                     : "false";
  if (choice == kChoiceTimeUp) {
    ShowTimeUp();
    answer = correct == 1 ? 0 : 1;
  } else {
    if (choice == kChoiceReveal) {
      ChangeReveals(1, false);
      choice = correct == 1 ? kChoiceTrue : kChoiceFalse;
    }
    answer = choice == kChoiceTrue ? 1 : 0;
    ShowAnswer(choice, answer == correct);
  }
  CountdownUpdate();
  Present();

  NoteQuestion(answerWord, answer == correct);
  int32_t result = GamePlaying;
  if (answer != correct) {
    CountMeter(kMeterTrueFalseWrong);
    ChangeLives(1, false);
    result = GameWrongAnswer;
  }
  // Half a second to take in the result; touches made meanwhile wait in the queue.
  uint32_t start = timeGetTime();
  while (timeGetTime() - start < 500) {
  }
  SetGameState(static_cast<uint8_t>(result));
  return result;
}

void TrueFalseRefresh() {
  DrawQuestionScreen();
  DrawQuestionText(false);
  CountdownUpdate();
}
