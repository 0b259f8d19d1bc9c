// The game's sounds, by id 1..26.
#pragma once

bool InitSound();
void StartSound(int id);
