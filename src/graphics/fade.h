// The cross-fade between two full pictures: both are captured from save surfaces, and
// each step blends them per colour channel at a percentage into save surface 0 and puts
// that on the back buffer, magenta pixels of the new picture optionally left showing
// what is already there.
#pragma once

#include "graphics/sprites.h"

void CaptureSave(int which, const ClipRect* rect);
void FadeStep(int percent, const ClipRect* rect, int keyed);

// The whole fade from the screen to a full-screen picture: 800 ms, keyed.
void FadeToPicture(Sprite& picture);
