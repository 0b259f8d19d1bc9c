#include "platform/clip/frame_reader.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "platform/little_endian.h"
namespace platform {

namespace {

std::unique_ptr<FrameReader> Refuse(std::string* why, const char* reason) {
  if (why) *why = reason;
  return nullptr;
}

// One colour channel picked out by its mask and spread over 0..255.
uint8_t Channel(uint32_t value, uint32_t mask) {
  if (mask == 0) return 0;
  int shift = std::countr_zero(mask);
  uint32_t top = mask >> shift;
  return static_cast<uint8_t>(static_cast<uint64_t>((value & mask) >> shift) * 255 / top);
}

}  // namespace

bool ReadBitmapHeader(const uint8_t* b, size_t size, BitmapHeader& h) {
  if (size < kBitmapHeaderSize) return false;
  h.size = ReadLe32(b);
  if (h.size < kBitmapHeaderSize || h.size > size) return false;
  h.width = static_cast<int32_t>(ReadLe32(b + 4));
  h.height = static_cast<int32_t>(ReadLe32(b + 8));
  h.planes = ReadLe16(b + 12);
  h.bitCount = ReadLe16(b + 14);
  h.compression = ReadLe32(b + 16);
  h.sizeImage = ReadLe32(b + 20);
  h.xPelsPerMeter = static_cast<int32_t>(ReadLe32(b + 24));
  h.yPelsPerMeter = static_cast<int32_t>(ReadLe32(b + 28));
  h.clrUsed = ReadLe32(b + 32);
  h.clrImportant = ReadLe32(b + 36);
  return true;
}

void WriteBitmapHeader(const BitmapHeader& h, uint8_t* out) {
  PutLe32(out, h.size);
  PutLe32(out + 4, static_cast<uint32_t>(h.width));
  PutLe32(out + 8, static_cast<uint32_t>(h.height));
  PutLe16(out + 12, h.planes);
  PutLe16(out + 14, h.bitCount);
  PutLe32(out + 16, h.compression);
  PutLe32(out + 20, h.sizeImage);
  PutLe32(out + 24, static_cast<uint32_t>(h.xPelsPerMeter));
  PutLe32(out + 28, static_cast<uint32_t>(h.yPelsPerMeter));
  PutLe32(out + 32, h.clrUsed);
  PutLe32(out + 36, h.clrImportant);
}

std::unique_ptr<FrameReader> FrameReader::Open(AviFile& file, const AviStream& stream,
                                               std::string* why) {
  std::unique_ptr<FrameReader> r(new FrameReader(file, stream));
  BitmapHeader& in = r->in_;
  const std::vector<uint8_t>& format = stream.format;
  if (stream.type != kStreamTypeVideo) return Refuse(why, "not a video stream");
  if (!ReadBitmapHeader(format.data(), format.size(), in))
    return Refuse(why, "no bitmap header in the stream format");
  const int64_t w = in.width, h = in.height < 0 ? -static_cast<int64_t>(in.height) : in.height;
  if (w < 1 || h < 1 || w > kMaxFrameSide || h > kMaxFrameSide || w * h > kMaxFramePixels)
    return Refuse(why, "frame size out of range");
  const uint16_t bits = in.bitCount;
  bool ok = (in.compression == kBiRgb && (bits == 8 || bits == 16 || bits == 24 || bits == 32)) ||
            (in.compression == kBiRle8 && bits == 8 && in.height > 0) ||
            (in.compression == kBiBitfields && (bits == 16 || bits == 32));
  if (!ok) return Refuse(why, "frame format not supported");
  if (in.compression == kBiBitfields) {
    if (format.size() < kBitmapHeaderSize + 12) return Refuse(why, "colour masks missing");
    for (int i = 0; i < 3; ++i) r->masks_[i] = ReadLe32(format.data() + kBitmapHeaderSize + 4 * i);
  } else if (bits == 32) {
    r->masks_[0] = 0xFF0000;
    r->masks_[1] = 0x00FF00;
    r->masks_[2] = 0x0000FF;
  }
  if (bits == 8) {
    // The colour table follows the header; entries the block does not hold stay black.
    size_t count = in.clrUsed == 0 ? 256 : std::min<size_t>(in.clrUsed, 256);
    for (size_t i = 0; i < count && in.size + 4 * (i + 1) <= format.size(); ++i) {
      const uint8_t* q = format.data() + in.size + 4 * i;
      r->palette_[i] = static_cast<uint32_t>(q[2]) << 16 | q[1] << 8 | q[0];
    }
    r->indices_.assign(static_cast<size_t>(w * h), 0);
  }
  r->width_ = static_cast<int>(w);
  r->height_ = static_cast<int>(h);
  r->stride_ = (static_cast<size_t>(w) * 3 + 3) & ~size_t{3};
  r->dib_.assign(kBitmapHeaderSize + r->stride_ * r->height_, 0);
  BitmapHeader out;
  out.size = kBitmapHeaderSize;
  out.width = r->width_;
  out.height = r->height_;
  out.planes = 1;
  out.bitCount = 24;
  out.compression = kBiRgb;
  out.sizeImage = static_cast<uint32_t>(r->stride_ * r->height_);
  WriteBitmapHeader(out, r->dib_.data());
  return r;
}

void FrameReader::Clear() {
  std::fill(indices_.begin(), indices_.end(), 0);
  std::fill(dib_.begin() + kBitmapHeaderSize, dib_.end(), 0);
}

const uint8_t* FrameReader::GetFrame(int64_t position) {
  const int64_t count =
      std::min<int64_t>(stream_.length, static_cast<int64_t>(stream_.chunks.size()));
  const int64_t k = position - stream_.start;
  if (position < stream_.start || k >= count) return nullptr;
  if (k == shown_) return dib_.data();
  int64_t from = shown_ + 1;
  if (shown_ < 0 || shown_ > k) {
    Clear();
    from = 0;
  }
  if (in_.compression != kBiRle8) {
    // Each frame with data is a whole picture: only the last one up to k counts.
    int64_t last = k;
    while (last >= from && stream_.chunks[last].size == 0) --last;
    if (last >= from) from = last;
  }
  for (int64_t i = from; i <= k; ++i) {
    if (!Apply(static_cast<size_t>(i))) {
      shown_ = -1;
      return nullptr;
    }
  }
  if (in_.bitCount == 8 && !blind_) IndicesToPixels();
  shown_ = k;
  return dib_.data();
}

bool FrameReader::Apply(size_t chunk) {
  if (stream_.chunks[chunk].size == 0) return true;  // a dropped frame: the picture stays
  if (!file_.ReadChunk(stream_.chunks[chunk], data_)) return false;
  if (in_.compression == kBiRle8) {
    if (!blind_) DecodeRle8(data_);
    return true;
  }
  if (blind_) {
    const size_t inStride = ((static_cast<size_t>(width_) * in_.bitCount + 31) / 32) * 4;
    const size_t lastRow = (static_cast<size_t>(width_) * in_.bitCount + 7) / 8;
    return data_.size() >= inStride * (height_ - 1) + lastRow;
  }
  return DecodeRgb(data_);
}

bool FrameReader::DecodeRgb(const std::vector<uint8_t>& data) {
  const int bits = in_.bitCount;
  const size_t inStride = ((static_cast<size_t>(width_) * bits + 31) / 32) * 4;
  const size_t lastRow = (static_cast<size_t>(width_) * bits + 7) / 8;
  if (data.size() < inStride * (height_ - 1) + lastRow) return false;
  for (int r = 0; r < height_; ++r) {
    const uint8_t* src = data.data() + inStride * r;
    int y = in_.height > 0 ? r : height_ - 1 - r;  // the output is bottom row first
    if (bits == 8) {
      std::memcpy(indices_.data() + static_cast<size_t>(y) * width_, src, width_);
      continue;
    }
    uint8_t* out = Row(y);
    for (int x = 0; x < width_; ++x, out += 3) {
      if (bits == 24) {
        std::memcpy(out, src + 3 * x, 3);
        continue;
      }
      uint32_t v = bits == 16 ? ReadLe16(src + 2 * x) : ReadLe32(src + 4 * x);
      if (bits == 16 && in_.compression == kBiRgb) {
        // 5-5-5: each 5-bit level widened to 8 bits.
        uint32_t r5 = (v >> 10) & 31, g5 = (v >> 5) & 31, b5 = v & 31;
        out[0] = static_cast<uint8_t>(b5 << 3 | b5 >> 2);
        out[1] = static_cast<uint8_t>(g5 << 3 | g5 >> 2);
        out[2] = static_cast<uint8_t>(r5 << 3 | r5 >> 2);
      } else {
        out[0] = Channel(v, masks_[2]);
        out[1] = Channel(v, masks_[1]);
        out[2] = Channel(v, masks_[0]);
      }
    }
  }
  return true;
}

void FrameReader::DecodeRle8(const std::vector<uint8_t>& d) {
  // Runs of one index, copied runs, line ends, skips and the end of the picture; the
  // first row is the bottom one. Anything outside the picture is dropped.
  const size_t n = d.size();
  int x = 0, y = 0;
  size_t p = 0;
  auto put = [&](uint8_t index) {
    if (x < width_ && y < height_) indices_[static_cast<size_t>(y) * width_ + x] = index;
    if (x < width_) ++x;
  };
  while (p + 1 < n && y < height_) {
    uint8_t a = d[p], b = d[p + 1];
    p += 2;
    if (a > 0) {
      for (int i = 0; i < a; ++i) put(b);
    } else if (b == 0) {  // end of line
      x = 0;
      ++y;
    } else if (b == 1) {  // end of picture
      break;
    } else if (b == 2) {  // skip right and up
      if (p + 1 >= n) break;
      x = std::min(x + d[p], width_);
      y += d[p + 1];
      p += 2;
    } else {  // b indices copied as they stand, padded to an even count
      for (int i = 0; i < b && p + i < n; ++i) put(d[p + i]);
      p += b + (b & 1);
    }
  }
}

void FrameReader::IndicesToPixels() {
  for (int y = 0; y < height_; ++y) {
    const uint8_t* src = indices_.data() + static_cast<size_t>(y) * width_;
    uint8_t* out = Row(y);
    for (int x = 0; x < width_; ++x, out += 3) {
      uint32_t c = palette_[src[x]];
      out[0] = static_cast<uint8_t>(c);
      out[1] = static_cast<uint8_t>(c >> 8);
      out[2] = static_cast<uint8_t>(c >> 16);
    }
  }
}

}  // namespace platform
