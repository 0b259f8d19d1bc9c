// The two file formats exactly as the game's loaders read them.
//
// BMP: the 14-byte file header and the 40-byte information header, then 24-bit pixels blue,
// green, red, the bottom row first, with no padding: the width must be a multiple of 4 so that
// every row is a whole number of 4-byte words for ordinary readers too.
//
// PCX: the 128-byte header (manufacturer 10, version 5, run-length encoding, 8 bits per plane,
// three planes, bytes per line equal to the width), then for each row the red, green and blue
// plane, each run-length encoded on its own. No palette follows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image.h"

namespace assetgen {

std::vector<uint8_t> EncodeBmp(const Image& image);
std::vector<uint8_t> EncodePcx(const Image& image);

// Writes the bytes, creating the folders of the path first.
bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error);

}  // namespace assetgen
