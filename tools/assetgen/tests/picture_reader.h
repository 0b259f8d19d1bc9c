// An independent reader of the two picture formats, following the game's loader to the letter:
// BMP pixels straight after the 54 header bytes, bottom row first, no row padding skipped; PCX
// width from the bytes-per-line field, height from Ymax - Ymin + 1, each row three run-length
// planes red, green, blue. Anything the loader would misread is reported as an error.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace assetgen_test {

struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;  // top row first
  bool IsKey(int x, int y) const;
  void Get(int x, int y, uint8_t* r, uint8_t* g, uint8_t* b) const;
};

std::vector<uint8_t> ReadBytes(const std::string& path);
bool ReadBmp(const std::vector<uint8_t>& file, Pixels* out, std::string* error);
bool ReadPcx(const std::vector<uint8_t>& file, Pixels* out, std::string* error);

}  // namespace assetgen_test
