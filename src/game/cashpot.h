// The cashpot panel at the top of the screen, the boots that fill it (the third wins the
// whole cashpot at once, in the middle of a game) and the collect button's flash.
#pragma once

#include <cstdint>

extern int32_t bootCount;      // 0..3, boots collected in this game
extern bool collectAvailable;  // a prize of the win plan is reached and may be collected

void DrawCashpot();
// The cashpot panel showing a given amount (the count-down of a cashpot paid shows a copy).
void DrawCashpotAmount(int32_t amount);
void DrawBoots();
void CollectBoot();
void WinCashpot();
void AnimateCollectButton();

// Back to a program that has just started: no flash running.
void ResetCollectFlash();
