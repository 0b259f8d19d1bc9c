// Stand-ins until the sound system exists: the game runs silent.
#include "sound/sound.h"

#include "shell/system.h"

bool InitSound() {
  Sys().OutputDebugString("placeholder: InitSound\n");
  return true;
}

void StartSound(int) {}
