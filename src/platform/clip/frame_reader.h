// Decoding the frames of a video stream into device-independent bitmaps: each frame
// comes out as one packed block, a 40-byte bitmap information header followed by the
// pixel rows, bottom row first, 24 bits a pixel (blue, green, red), each row padded to a
// multiple of 4 bytes. Frames may be uncompressed at 8 bits with their palette, 16 bits
// (5-5-5, or the colour masks the format gives), 24 or 32 bits, or packed with the
// 8-bit run-length scheme (RLE8), whose frames paint over the one before.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/clip/avi_file.h"

namespace platform {

inline constexpr int kMaxFrameSide = 4096;
inline constexpr int64_t kMaxFramePixels = 8LL * 1024 * 1024;
inline constexpr size_t kBitmapHeaderSize = 40;

// The fields of a bitmap information header.
struct BitmapHeader {
  uint32_t size = 0;
  int32_t width = 0, height = 0;  // height < 0: rows top first
  uint16_t planes = 0, bitCount = 0;
  uint32_t compression = 0, sizeImage = 0;
  int32_t xPelsPerMeter = 0, yPelsPerMeter = 0;
  uint32_t clrUsed = 0, clrImportant = 0;
};

inline constexpr uint32_t kBiRgb = 0, kBiRle8 = 1, kBiBitfields = 3;

// False when fewer than 40 bytes are there or the size field says fewer.
bool ReadBitmapHeader(const uint8_t* bytes, size_t size, BitmapHeader& out);
void WriteBitmapHeader(const BitmapHeader& h, uint8_t* out);  // 40 bytes

class FrameReader {
 public:
  // A reader for a video stream of the file; null with the reason when the stream's
  // format is not one of those above. The file must outlive the reader.
  static std::unique_ptr<FrameReader> Open(AviFile& file, const AviStream& stream,
                                           std::string* why);

  // The frame at this position of the stream (its first is at the stream's start); null
  // when there is no such frame or its data is damaged. The block stays valid until the
  // next call.
  const uint8_t* GetFrame(int64_t position);
  // Blind: frames are read and checked as ever, but no pixel is decoded (RLE8 frames
  // cannot fail to decode; uncompressed ones keep their size check).
  void SetBlind(bool blind) { blind_ = blind; }

 private:
  bool blind_ = false;
  FrameReader(AviFile& file, const AviStream& stream) : file_(file), stream_(stream) {}
  bool Apply(size_t chunk);  // paints one frame's data over the picture
  void Clear();
  bool DecodeRgb(const std::vector<uint8_t>& data);
  void DecodeRle8(const std::vector<uint8_t>& data);
  void IndicesToPixels();
  uint8_t* Row(int y) { return dib_.data() + kBitmapHeaderSize + static_cast<size_t>(y) * stride_; }

  AviFile& file_;
  const AviStream& stream_;
  BitmapHeader in_;
  int width_ = 0, height_ = 0;
  size_t stride_ = 0;           // of the output rows
  uint32_t palette_[256] = {};  // 0xRRGGBB
  uint32_t masks_[3] = {0x7C00, 0x03E0, 0x001F};
  std::vector<uint8_t> indices_;  // the 8-bit picture, bottom row first
  std::vector<uint8_t> dib_;      // header and pixels
  std::vector<uint8_t> data_;     // one chunk's bytes
  int64_t shown_ = -1;            // the chunk the picture holds, -1 for none
};

}  // namespace platform
