// The WAV reader: chunks found wherever they stand, the extra bytes of non-PCM formats,
// and sizes held to the bytes there are.
#include "sound/wave_file.h"

#include <gtest/gtest.h>

#include <string>

#include "wav_builder.h"

namespace {

using testing_support::Pcm16;
using testing_support::RiffChunk;
using testing_support::WavBytes;
using testing_support::WavSpec;

bool Parse(const std::string& bytes, WaveFile& out, std::string* why = nullptr) {
  return ParseWave(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), out, why);
}

template <size_t N>
std::string Raw(const char (&s)[N]) {
  return std::string(s, N - 1);
}

std::string DataOf(const std::string& bytes, const WaveFile& w) {
  return bytes.substr(w.dataOffset, w.dataSize);
}

TEST(ParseWave, ReadsAPlainFile) {
  WavSpec spec;
  spec.channels = 2;
  spec.rate = 44100;
  spec.data = Pcm16(3, 2, [](size_t i, int c) { return static_cast<int16_t>(i * 10 + c); });
  std::string bytes = WavBytes(spec);
  WaveFile w;
  ASSERT_TRUE(Parse(bytes, w));
  EXPECT_EQ(w.format.formatTag, 1);
  EXPECT_EQ(w.format.channels, 2);
  EXPECT_EQ(w.format.samplesPerSec, 44100u);
  EXPECT_EQ(w.format.avgBytesPerSec, 44100u * 4);
  EXPECT_EQ(w.format.blockAlign, 4);
  EXPECT_EQ(w.format.bitsPerSample, 16);
  EXPECT_TRUE(w.format.extra.empty());
  EXPECT_EQ(DataOf(bytes, w), spec.data);
  EXPECT_EQ(w.declaredSize, 12u);
}

TEST(ParseWave, FindsDataBeforeTheFormatAndChunksBetween) {
  WavSpec spec;
  spec.data = "abcdefg";  // odd: a pad byte follows
  spec.dataFirst = true;
  spec.between = RiffChunk("LIST", "INFOjunk!") + RiffChunk("JUNK", std::string(5, 'j'));
  std::string bytes = WavBytes(spec);
  WaveFile w;
  ASSERT_TRUE(Parse(bytes, w));
  EXPECT_EQ(DataOf(bytes, w), "abcdefg");
  EXPECT_EQ(w.format.samplesPerSec, 22050u);
}

TEST(ParseWave, ANonPcmFormatIsReadWithItsExtraBytes) {
  WavSpec spec;
  spec.tag = 2;
  spec.bits = 4;
  spec.blockAlign = 256;
  spec.extra = {0xAB, 0xCD};
  spec.data = "samples!";
  std::string bytes = WavBytes(spec);
  WaveFile w;
  ASSERT_TRUE(Parse(bytes, w));
  EXPECT_EQ(w.format.formatTag, 2);
  EXPECT_EQ(w.format.extra, (std::vector<uint8_t>{0xAB, 0xCD}));
  EXPECT_EQ(DataOf(bytes, w), "samples!");
  // A PCM format's 18-byte chunk (with a count of 0) reads no extra bytes either way.
  WavSpec pcm;
  pcm.data = "xy";
  pcm.between = "";
  std::string body = testing_support::FormatChunkBody(pcm) + std::string("\x05\x00", 2);
  bytes = "RIFF" + std::string("\0\0\0\0", 4) + "WAVE" + RiffChunk("fmt ", body) +
          RiffChunk("data", "xy");
  bytes[4] = static_cast<char>(bytes.size() - 8);
  ASSERT_TRUE(Parse(bytes, w));
  EXPECT_TRUE(w.format.extra.empty());
}

TEST(ParseWave, ExtraBytesAreHeldToTheFormatChunk) {
  WavSpec spec;
  spec.tag = 3;
  spec.writeExtraCount = false;
  std::string body = testing_support::FormatChunkBody(spec);
  body += std::string("\xFF\xFF", 2) + "abc";  // claims 65535 extra bytes, has 3
  std::string bytes = "RIFF0000WAVE" + RiffChunk("fmt ", body) + RiffChunk("data", "zz");
  WaveFile w;
  ASSERT_TRUE(Parse(bytes, w));  // the RIFF size "0000" is far too large: held to the file
  EXPECT_EQ(w.format.extra, (std::vector<uint8_t>{'a', 'b', 'c'}));
  EXPECT_EQ(DataOf(bytes, w), "zz");
  // A non-PCM chunk of exactly 16 bytes has no count: no extra bytes.
  bytes = "RIFF0000WAVE" + RiffChunk("fmt ", body.substr(0, 16)) + RiffChunk("data", "zz");
  ASSERT_TRUE(Parse(bytes, w));
  EXPECT_TRUE(w.format.extra.empty());
}

TEST(ParseWave, ADataChunkRunningPastTheEndIsCutThere) {
  WavSpec spec;
  spec.data = "0123456789";
  std::string bytes = WavBytes(spec);
  bytes.resize(bytes.size() - 4);
  WaveFile w;
  ASSERT_TRUE(Parse(bytes, w));
  EXPECT_EQ(w.declaredSize, 10u);
  EXPECT_EQ(DataOf(bytes, w), "012345");
  EXPECT_LE(w.dataOffset + w.dataSize, bytes.size());
}

TEST(ParseWave, ChunksBeyondTheFirstChunkAreNotSeen) {
  WavSpec spec;
  spec.data = "abcd";
  spec.riffSize = 4 + 24;  // the form type and the "fmt " chunk only
  std::string why;
  WaveFile w;
  EXPECT_FALSE(Parse(WavBytes(spec), w, &why));
  EXPECT_EQ(why, "no \"data\" chunk");
}

TEST(ParseWave, RefusesFilesWithoutTheirChunks) {
  std::string why;
  WaveFile w;
  WavSpec noFormat;
  noFormat.withFormat = false;
  EXPECT_FALSE(Parse(WavBytes(noFormat), w, &why));
  EXPECT_EQ(why, "no \"fmt \" chunk");
  WavSpec noData;
  noData.withData = false;
  EXPECT_FALSE(Parse(WavBytes(noData), w, &why));
  EXPECT_EQ(why, "no \"data\" chunk");
  EXPECT_FALSE(Parse("RIFF", w, &why));
  EXPECT_EQ(why, "too short for a RIFF header");
  EXPECT_FALSE(Parse(Raw("RIFF\x0C\0\0\0WAVEfmt \x04\0\0\0abcd"), w, &why));
  EXPECT_EQ(why, "\"fmt \" chunk shorter than 16 bytes");
  // A chunk size that would wrap the search around does not.
  std::string wrap = Raw("RIFF\xFF\xFF\xFF\xFFWAVEJUNK\xF8\xFF\xFF\xFF");
  EXPECT_FALSE(Parse(wrap, w, &why));
}

}  // namespace
