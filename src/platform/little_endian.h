// Little-endian numbers, as the files the game reads and the tools write hold them (pictures,
// sounds, clips, the record file). Callers check bounds before they read.
#pragma once

#include <cstdint>

inline uint16_t ReadLe16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline uint32_t ReadLe32(const uint8_t* p) {
  return static_cast<uint32_t>(ReadLe16(p)) | static_cast<uint32_t>(ReadLe16(p + 2)) << 16;
}

inline void PutLe16(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v & 0xFF);
  p[1] = static_cast<uint8_t>((v >> 8) & 0xFF);
}

inline void PutLe32(uint8_t* p, uint32_t v) {
  PutLe16(p, v & 0xFFFF);
  PutLe16(p + 2, v >> 16);
}

// Appends to a std::string or a std::vector<uint8_t>.
template <class Bytes>
void AppendLe16(Bytes& out, uint32_t v) {
  out.push_back(static_cast<typename Bytes::value_type>(v & 0xFF));
  out.push_back(static_cast<typename Bytes::value_type>((v >> 8) & 0xFF));
}

template <class Bytes>
void AppendLe32(Bytes& out, uint32_t v) {
  AppendLe16(out, v & 0xFFFF);
  AppendLe16(out, v >> 16);
}
