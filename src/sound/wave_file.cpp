#include "sound/wave_file.h"

#include <algorithm>
#include <cstring>

#include "platform/little_endian.h"
namespace {

struct Chunk {
  size_t offset = 0;      // of the chunk's data
  size_t size = 0;        // the data there is, up to the end of the region
  uint32_t declared = 0;  // the size the chunk header gives
};

// The first sub-chunk with this id in [from, end), stepping over each chunk's data and
// its pad byte.
bool FindChunk(const uint8_t* bytes, size_t from, size_t end, const char* id, Chunk& out) {
  uint64_t at = from;
  while (at + 8 <= end) {
    const uint8_t* header = bytes + at;
    uint32_t declared = ReadLe32(header + 4);
    if (std::memcmp(header, id, 4) == 0) {
      out.offset = static_cast<size_t>(at + 8);
      out.size = static_cast<size_t>(std::min<uint64_t>(declared, end - (at + 8)));
      out.declared = declared;
      return true;
    }
    at += 8 + static_cast<uint64_t>(declared) + (declared & 1);
  }
  return false;
}

bool Fail(std::string* why, const char* reason) {
  if (why) *why = reason;
  return false;
}

}  // namespace

bool ParseWave(const uint8_t* bytes, size_t size, WaveFile& out, std::string* why) {
  out = WaveFile{};
  // The first chunk: its id and form type are not looked at, only its size.
  if (size < 12) return Fail(why, "too short for a RIFF header");
  const size_t end =
      static_cast<size_t>(std::min<uint64_t>(8 + uint64_t{ReadLe32(bytes + 4)}, size));
  Chunk fmt, data;
  if (!FindChunk(bytes, 12, end, "fmt ", fmt)) return Fail(why, "no \"fmt \" chunk");
  if (fmt.size < 16) return Fail(why, "\"fmt \" chunk shorter than 16 bytes");
  const uint8_t* f = bytes + fmt.offset;
  platform::WaveFormat& format = out.format;
  format.formatTag = ReadLe16(f);
  format.channels = ReadLe16(f + 2);
  format.samplesPerSec = ReadLe32(f + 4);
  format.avgBytesPerSec = ReadLe32(f + 8);
  format.blockAlign = ReadLe16(f + 12);
  format.bitsPerSample = ReadLe16(f + 14);
  if (format.formatTag != platform::kWaveFormatPcm && fmt.size >= 18) {
    size_t count = std::min<size_t>(ReadLe16(f + 16), fmt.size - 18);
    format.extra.assign(f + 18, f + 18 + count);
  }
  // The search for the samples starts again just after the form type.
  if (!FindChunk(bytes, 12, end, "data", data)) return Fail(why, "no \"data\" chunk");
  out.dataOffset = data.offset;
  out.dataSize = data.size;
  out.declaredSize = data.declared;
  return true;
}
