// The window's message pump and what it leaves for the rest of the program: the last touch,
// and the stake and money-server socket every part of the game reads.
#pragma once

#include <cstdint>

#include "platform/platform.h"

extern int16_t TouchX;
extern int16_t TouchY;
extern int16_t StakePerGame;
extern int ServerSocket;

bool CreateMainWindow();
int32_t MainWindowProc(const platform::Message& message);
void PumpMessages();
