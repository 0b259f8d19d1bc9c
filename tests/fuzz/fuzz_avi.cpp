// The AVI reader fed arbitrary bytes: a clip or a refusal with its reason; every frame
// it gives is a whole block of the size its header says, and nothing is read or written
// outside the bytes or the picture.
#include <cstdint>
#include <string>
#include <vector>

#include "../clips/avi_builder.h"
#include "platform/clip/avi_file.h"
#include "platform/clip/frame_reader.h"

std::vector<std::string> FuzzSeeds() {
  using namespace testing_support;
  std::vector<Bgr> palette = {{0, 0, 0}, {0, 0, 255}, {0, 255, 0}, {255, 0, 0}};
  AviStreamSpec rle;
  rle.format = BitmapFormat(6, 3, 8, 1, ColourTable(palette), 4);
  rle.chunks = {std::string("\x03\x01\x00\x03\x02\x03\x01\x00\x00\x00\x02\x02\x00\x02\x01\x01"
                            "\x00\x00\x0a\x02\x00\x01",
                            22),
                std::string("\x00\x02\x01\x01\x01\x03\x00\x01", 8), ""};
  AviStreamSpec eight;
  eight.format = BitmapFormat(3, 2, 8, 0, ColourTable(palette), 4);
  eight.chunks = {std::string("\x01\x02\x03\x00\x03\x02\x01\x00", 8)};
  std::string masks;
  Put32(masks, 0xF800);
  Put32(masks, 0x07E0);
  Put32(masks, 0x001F);
  AviStreamSpec sixteen;
  sixteen.format = BitmapFormat(2, 2, 16, 3, masks);
  sixteen.chunks = {std::string(8, '\x5A')};
  AviStreamSpec rgb = SolidVideo(3, 2, {{1, 2, 3}, {4, 5, 6}});
  std::vector<std::string> seeds;
  for (const AviStreamSpec& v : {rle, eight, sixteen, rgb}) {
    AviSpec spec;
    spec.streams = {AudioStream(1), v};
    seeds.push_back(AviBytes(spec));
  }
  AviSpec grouped;
  grouped.streams = {rgb, rle};
  grouped.recLists = true;
  grouped.extraChunks = RiffChunk("00pc", "pal");
  seeds.push_back(AviBytes(grouped));
  return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string why;
  auto file = platform::AviFile::Open(platform::ByteSource::FromMemory(data, size), &why);
  if (!file) {
    if (why.empty()) __builtin_trap();  // every refusal says why
    return 0;
  }
  for (int s = 0; s < 5; ++s) {
    const platform::AviStream* stream = file->GetStream(platform::kStreamTypeVideo, s);
    if (!stream) break;
    for (const platform::AviChunk& c : stream->chunks)
      if (c.offset > size || c.size > size - c.offset) __builtin_trap();
    auto reader = platform::FrameReader::Open(*file, *stream, &why);
    if (!reader) continue;
    for (int64_t n : {0, 1, 2, 5, 1, 0, -1, 1 << 20}) {
      const uint8_t* dib = reader->GetFrame(stream->start + n);
      if (!dib) continue;
      platform::BitmapHeader h;
      if (!platform::ReadBitmapHeader(dib, platform::kBitmapHeaderSize, h)) __builtin_trap();
      size_t stride = (static_cast<size_t>(h.width) * 3 + 3) & ~size_t{3};
      if (h.bitCount != 24 || h.height <= 0 || h.sizeImage != stride * h.height) __builtin_trap();
      // Touch every byte of the block, so a short one shows.
      volatile uint8_t sum = 0;
      for (size_t i = 0; i < h.size + h.sizeImage; ++i) sum = static_cast<uint8_t>(sum + dib[i]);
    }
  }
  return 0;
}
