#include "platform/clip/avi_file.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/little_endian.h"
namespace platform {

namespace {

constexpr size_t kMaxStreams = 100;              // two digits in a chunk id
constexpr size_t kMaxFormatBytes = 1024 * 1024;  // one "strf" block
constexpr size_t kMaxChunks = 4 * 1024 * 1024;   // data chunks in the whole file
constexpr size_t kMinStreamHeader = 48;          // up to the sample size

bool Fail(std::string* why, const std::string& reason) {
  if (why) *why = reason;
  return false;
}

// One chunk header met while walking a region.
struct Header {
  uint32_t id = 0, size = 0;
  uint64_t data = 0;  // offset of the data
  uint64_t next = 0;  // offset of the following chunk (data, then a pad byte to even)
};

bool ReadHeader(ByteSource& s, uint64_t at, Header& h) {
  uint8_t b[8];
  if (!s.Read(at, b, 8)) return false;
  h.id = ReadLe32(b);
  h.size = ReadLe32(b + 4);
  h.data = at + 8;
  h.next = h.data + h.size + (h.size & 1);
  return true;
}

// A LIST's type, when the chunk is a LIST with room for one.
bool ListType(ByteSource& s, const Header& h, uint32_t& type) {
  uint8_t b[4];
  if (h.id != FourCc("LIST") || h.size < 4 || !s.Read(h.data, b, 4)) return false;
  type = ReadLe32(b);
  return true;
}

int Digit(uint32_t c) {
  return c >= '0' && c <= '9' ? static_cast<int>(c - '0') : -1;
}

}  // namespace

std::unique_ptr<ByteSource> ByteSource::FromFile(FILE* file) {
  if (!file) return nullptr;
  std::unique_ptr<ByteSource> s(new ByteSource);
  s->file_ = file;
  if (fseeko(file, 0, SEEK_END) == 0) {
    off_t end = ftello(file);
    s->size_ = end > 0 ? static_cast<uint64_t>(end) : 0;
  }
  return s;
}

std::unique_ptr<ByteSource> ByteSource::FromMemory(const uint8_t* data, size_t size) {
  std::unique_ptr<ByteSource> s(new ByteSource);
  s->memory_.assign(data, data + size);
  s->size_ = size;
  return s;
}

ByteSource::~ByteSource() {
  if (file_) std::fclose(file_);
}

bool ByteSource::Read(uint64_t offset, void* out, size_t n) {
  if (offset > size_ || n > size_ - offset) return false;
  if (n == 0) return true;
  if (!file_) {
    std::memcpy(out, memory_.data() + offset, n);
    return true;
  }
  return fseeko(file_, static_cast<off_t>(offset), SEEK_SET) == 0 &&
         std::fread(out, 1, n, file_) == n;
}

std::unique_ptr<AviFile> AviFile::Open(std::unique_ptr<ByteSource> source, std::string* why) {
  if (!source) {
    Fail(why, "no file");
    return nullptr;
  }
  std::unique_ptr<AviFile> file(new AviFile);
  file->source_ = std::move(source);
  if (!file->ReadHeaders(why)) return nullptr;
  return file;
}

bool AviFile::ReadHeaders(std::string* why) {
  ByteSource& s = *source_;
  uint8_t riff[12];
  if (!s.Read(0, riff, 12) || ReadLe32(riff) != FourCc("RIFF") ||
      ReadLe32(riff + 8) != FourCc("AVI "))
    return Fail(why, "not a RIFF AVI file");
  const uint64_t end = std::min<uint64_t>(8 + uint64_t{ReadLe32(riff + 4)}, s.Size());
  bool headers = false, data = false;
  Header h;
  for (uint64_t at = 12; at + 8 <= end && ReadHeader(s, at, h); at = h.next) {
    uint32_t type = 0;
    if (!ListType(s, h, type)) continue;
    const uint64_t listEnd = std::min(h.data + h.size, end);
    if (type == FourCc("hdrl") && !headers) {
      if (!ReadHeaderList(h.data + 4, listEnd, why)) return false;
      headers = true;
    } else if (type == FourCc("movi") && !data) {
      if (!headers) return Fail(why, "data before the headers");
      if (!MapData(h.data + 4, listEnd, 0, why)) return false;
      data = true;
    }
  }
  if (!headers) return Fail(why, "no header list");
  if (!data) return Fail(why, "no data list");
  return true;
}

bool AviFile::ReadHeaderList(uint64_t from, uint64_t end, std::string* why) {
  Header h;
  for (uint64_t at = from; at + 8 <= end && ReadHeader(*source_, at, h); at = h.next) {
    uint32_t type = 0;
    if (ListType(*source_, h, type) && type == FourCc("strl")) {
      if (streams_.size() == kMaxStreams) continue;  // no chunk id can name more
      if (!ReadStreamList(h.data + 4, std::min(h.data + h.size, end), why)) return false;
    }
  }
  return true;
}

bool AviFile::ReadStreamList(uint64_t from, uint64_t end, std::string* why) {
  AviStream stream;
  bool header = false;
  Header h;
  for (uint64_t at = from; at + 8 <= end && ReadHeader(*source_, at, h); at = h.next) {
    if (h.id == FourCc("strh") && !header) {
      uint8_t b[kMinStreamHeader];
      if (h.size < kMinStreamHeader || h.data + kMinStreamHeader > end ||
          !source_->Read(h.data, b, sizeof b))
        return Fail(why, "stream header too short");
      stream.type = ReadLe32(b);
      stream.handler = ReadLe32(b + 4);
      stream.scale = ReadLe32(b + 20);
      stream.rate = ReadLe32(b + 24);
      stream.start = ReadLe32(b + 28);
      stream.length = ReadLe32(b + 32);
      header = true;
    } else if (h.id == FourCc("strf") && stream.format.empty()) {
      if (h.size > kMaxFormatBytes || h.data + h.size > end)
        return Fail(why, "stream format block too large for its list");
      stream.format.resize(h.size);
      if (!source_->Read(h.data, stream.format.data(), h.size))
        return Fail(why, "stream format block cannot be read");
    }
  }
  if (!header) return Fail(why, "stream list without a stream header");
  streams_.push_back(std::move(stream));
  return true;
}

bool AviFile::MapData(uint64_t from, uint64_t end, int depth, std::string* why) {
  Header h;
  for (uint64_t at = from; at + 8 <= end && ReadHeader(*source_, at, h); at = h.next) {
    uint32_t type = 0;
    if (ListType(*source_, h, type)) {
      // Chunks grouped in "rec " lists, one level deep.
      if (depth == 0 && !MapData(h.data + 4, std::min(h.data + h.size, end), 1, why)) return false;
      continue;
    }
    int tens = Digit(h.id & 0xFF), ones = Digit((h.id >> 8) & 0xFF);
    if (tens < 0 || ones < 0) continue;  // "JUNK" and other chunks
    size_t n = static_cast<size_t>(tens * 10 + ones);
    if (n >= streams_.size() || (h.id >> 16) == (FourCc("00pc") >> 16)) continue;
    if (++chunkCount_ > kMaxChunks) return Fail(why, "too many data chunks");
    // A chunk running past the list is cut at its end.
    uint64_t size = std::min<uint64_t>(h.size, end - h.data);
    streams_[n].chunks.push_back({h.data, static_cast<uint32_t>(size)});
  }
  return true;
}

const AviStream* AviFile::GetStream(uint32_t type, int index) const {
  for (const AviStream& s : streams_)
    if (s.type == type && index-- == 0) return &s;
  return nullptr;
}

bool AviFile::ReadChunk(const AviChunk& chunk, std::vector<uint8_t>& out) {
  out.resize(chunk.size);
  return source_->Read(chunk.offset, out.data(), chunk.size);
}

int32_t StreamSampleToTime(const AviStream& stream, int64_t sample) {
  if (stream.rate == 0 || sample <= 0) return 0;
  __int128 ms = static_cast<__int128>(sample) * stream.scale * 1000 / stream.rate;
  return static_cast<int32_t>(std::min<__int128>(ms, INT32_MAX));
}

}  // namespace platform
