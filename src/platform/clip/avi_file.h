// Reading AVI clips: a RIFF "AVI " file's stream headers and format blocks, and where
// each stream's data chunks lie in its "movi" list. Nothing is trusted beyond the bytes
// there are: a file that is not an AVI file, or whose headers are damaged, is refused
// with the reason; a data chunk running past the end is cut there.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace platform {

constexpr uint32_t FourCc(const char (&s)[5]) {
  return static_cast<uint32_t>(static_cast<uint8_t>(s[0])) |
         static_cast<uint32_t>(static_cast<uint8_t>(s[1])) << 8 |
         static_cast<uint32_t>(static_cast<uint8_t>(s[2])) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(s[3])) << 24;
}

inline constexpr uint32_t kStreamTypeVideo = FourCc("vids");
inline constexpr uint32_t kStreamTypeAudio = FourCc("auds");

// Bytes read at given offsets, from an open file or from memory.
class ByteSource {
 public:
  static std::unique_ptr<ByteSource> FromFile(FILE* file);  // owns and closes the file
  static std::unique_ptr<ByteSource> FromMemory(const uint8_t* data, size_t size);
  ~ByteSource();
  uint64_t Size() const { return size_; }
  // False when the bytes [offset, offset + n) are not all there.
  bool Read(uint64_t offset, void* out, size_t n);

 private:
  ByteSource() = default;
  FILE* file_ = nullptr;
  std::vector<uint8_t> memory_;
  uint64_t size_ = 0;
};

struct AviChunk {
  uint64_t offset = 0;  // of the chunk's data
  uint32_t size = 0;
};

struct AviStream {
  uint32_t type = 0;  // kStreamTypeVideo, kStreamTypeAudio, ...
  uint32_t handler = 0;
  uint32_t scale = 0, rate = 0;    // samples a second: rate / scale
  uint32_t start = 0, length = 0;  // in samples
  std::vector<uint8_t> format;     // the stream's "strf" block
  std::vector<AviChunk> chunks;    // its data chunks in file order, palette changes left out
};

class AviFile {
 public:
  // The headers and the map of the data chunks; null with the reason when refused.
  static std::unique_ptr<AviFile> Open(std::unique_ptr<ByteSource> source, std::string* why);

  int StreamCount() const { return static_cast<int>(streams_.size()); }
  // The index-th stream of this type in file order; null when there are fewer.
  const AviStream* GetStream(uint32_t type, int index) const;
  // A data chunk's bytes; false when they cannot be read.
  bool ReadChunk(const AviChunk& chunk, std::vector<uint8_t>& out);

 private:
  bool ReadHeaders(std::string* why);
  bool ReadHeaderList(uint64_t from, uint64_t end, std::string* why);
  bool ReadStreamList(uint64_t from, uint64_t end, std::string* why);
  bool MapData(uint64_t from, uint64_t end, int depth, std::string* why);

  std::unique_ptr<ByteSource> source_;
  std::vector<AviStream> streams_;
  size_t chunkCount_ = 0;
};

// The time at the start of a sample in milliseconds (sample * scale * 1000 / rate).
int32_t StreamSampleToTime(const AviStream& stream, int64_t sample);

}  // namespace platform
