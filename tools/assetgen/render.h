// Renders catalogue entries into pictures (once each, kept for the run) and writes the game's
// picture folder.
#pragma once

#include <cairo.h>

#include <string>

#include "image.h"

namespace assetgen {

// The whole picture of a key, every frame stacked from the top.
const Image& Picture(int key);
Image PictureFrame(int key, int frame);

// Draws one frame of an already rendered picture into a painter's context, magenta left out.
void PlacePicture(cairo_t* cr, int key, int frame, double x, double y);

// Writes DIR/Graphic_resource/... for every key.
bool WritePictures(const std::string& dir, std::string* error);

// The file path of a key under dir, with the table's backslashes turned into folders.
std::string PicturePath(const std::string& dir, int key);

}  // namespace assetgen
