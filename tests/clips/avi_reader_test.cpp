// The AVI reader: streams found by type with their format blocks, data chunks mapped
// through "rec " lists and past palette changes, every frame format decoded into the
// same bottom-up 24-bit block, and damaged files refused without reading outside them.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "clip_check.h"
#include "platform/clip/avi_file.h"
#include "platform/clip/frame_reader.h"

namespace {

using platform::AviFile;
using platform::ByteSource;
using platform::FrameReader;
using platform::kStreamTypeAudio;
using platform::kStreamTypeVideo;
using testing_support::AviBytes;
using testing_support::AviSpec;
using testing_support::AviStreamSpec;
using testing_support::Bgr;
using testing_support::BitmapFormat;
using testing_support::DibPixel;

constexpr Bgr kBlack{0, 0, 0}, kRed{0, 0, 255}, kGreen{0, 255, 0}, kBlue{255, 0, 0},
    kWhite{255, 255, 255}, kGrey{128, 128, 128};

std::unique_ptr<AviFile> Open(const std::string& bytes, std::string* why = nullptr) {
  return AviFile::Open(
      ByteSource::FromMemory(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), why);
}

std::string Refusal(const std::string& bytes) {
  std::string why;
  EXPECT_EQ(Open(bytes, &why), nullptr);
  return why;
}

std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s.push_back(static_cast<char>(v));
  return s;
}

// A clip of one video stream.
std::string Clip(AviStreamSpec video, bool recLists = false) {
  AviSpec spec;
  spec.streams.push_back(std::move(video));
  spec.recLists = recLists;
  return AviBytes(spec);
}

// The rows of a decoded frame, top first, as palette letters of `colours`.
std::vector<std::string> Rows(const uint8_t* dib, int width, int height,
                              const std::vector<Bgr>& colours) {
  std::vector<std::string> rows;
  for (int y = 0; y < height; ++y) {
    std::string row;
    for (int x = 0; x < width; ++x) {
      Bgr p = DibPixel(dib, x, y);
      char letter = '?';
      for (size_t i = 0; i < colours.size(); ++i)
        if (p == colours[i]) letter = static_cast<char>('0' + i);
      row += letter;
    }
    rows.push_back(row);
  }
  return rows;
}

const std::vector<Bgr> kPalette = {kBlack, kRed, kGreen, kBlue, kWhite, kGrey};

// A 6x3 RLE8 stream (rows bottom first in the data): frame 0 draws every kind of
// command, frame 1 paints one pixel over it, frame 2 is dropped, frame 3 ends in the
// middle of a copied run.
AviStreamSpec RleVideo() {
  AviStreamSpec v;
  v.handler = "mrle";
  v.format = BitmapFormat(6, 3, 8, platform::kBiRle8, testing_support::ColourTable(kPalette), 6);
  v.chunks = {
      Bytes({3,  1, 0, 3, 2, 3, 4, 0, 0, 0,  // bottom: a run, three copied (padded), line end
             2,  5, 0, 2, 2, 0, 2, 3, 0, 0,  // middle: a run, a skip of 2, a run, line end
             10, 2, 0, 1}),                  // top: a run past the edge, the end
      Bytes({0, 2, 1, 1, 1, 4, 0, 1}),       // skip to (1, 1), one white pixel, the end
      "", Bytes({0, 3, 4, 4}),               // copies three, holds two
  };
  return v;
}

TEST(AviFile, FindsStreamsByTypeInFileOrderWithTheirFormats) {
  AviSpec spec;
  spec.streams.push_back(testing_support::AudioStream());
  spec.streams.push_back(testing_support::SolidVideo(2, 2, {kRed}));
  spec.streams.push_back(testing_support::AudioStream(3));
  spec.streams.push_back(testing_support::SolidVideo(4, 1, {kGreen, kBlue}));
  AviStreamSpec text;
  text.type = "txts";
  text.format = "subtitles";
  text.chunks = {"hello"};
  spec.streams.push_back(text);
  auto file = Open(AviBytes(spec));
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->StreamCount(), 5);
  const platform::AviStream* v0 = file->GetStream(kStreamTypeVideo, 0);
  const platform::AviStream* v1 = file->GetStream(kStreamTypeVideo, 1);
  ASSERT_NE(v0, nullptr);
  ASSERT_NE(v1, nullptr);
  EXPECT_EQ(file->GetStream(kStreamTypeVideo, 2), nullptr);
  EXPECT_EQ(file->GetStream(kStreamTypeVideo, -1), nullptr);
  EXPECT_EQ(std::string(v0->format.begin(), v0->format.end()), spec.streams[1].format);
  EXPECT_EQ(std::string(v1->format.begin(), v1->format.end()), spec.streams[3].format);
  EXPECT_EQ(v1->chunks.size(), 2u);
  EXPECT_EQ(v1->rate, 25u);
  EXPECT_EQ(v1->length, 2u);
  const platform::AviStream* a1 = file->GetStream(kStreamTypeAudio, 1);
  ASSERT_NE(a1, nullptr);
  EXPECT_EQ(a1->chunks.size(), 3u);
  EXPECT_EQ(a1->rate, 22050u);
  EXPECT_EQ(file->GetStream(kStreamTypeAudio, 2), nullptr);
}

TEST(AviFile, MapsChunksInRecListsAndSkipsPaletteChangesAndJunk) {
  AviSpec spec;
  spec.streams.push_back(testing_support::SolidVideo(2, 1, {kRed, kGreen, kBlue}));
  spec.recLists = true;
  spec.extraChunks = testing_support::RiffChunk("00pc", "palette") +
                     testing_support::RiffChunk("JUNK", "x") +
                     testing_support::RiffChunk("07dc", "no such stream");
  auto file = Open(AviBytes(spec));
  ASSERT_NE(file, nullptr);
  const platform::AviStream* v = file->GetStream(kStreamTypeVideo, 0);
  ASSERT_EQ(v->chunks.size(), 3u);
  auto reader = FrameReader::Open(*file, *v, nullptr);
  ASSERT_NE(reader, nullptr);
  EXPECT_EQ(DibPixel(reader->GetFrame(2), 1, 0), kBlue);
  EXPECT_EQ(DibPixel(reader->GetFrame(0), 0, 0), kRed);
}

TEST(FrameReader, DecodesTwentyFourBitFramesWithPaddedRows) {
  AviStreamSpec v;
  v.format = BitmapFormat(3, 2, 24, 0);
  auto pixel = [](int x, int y) {
    return Bgr{static_cast<uint8_t>(x * 50), static_cast<uint8_t>(y * 100), 7};
  };
  v.chunks = {testing_support::Frame24(3, 2, pixel)};
  auto file = Open(Clip(v));
  ASSERT_NE(file, nullptr);
  auto reader = FrameReader::Open(*file, *file->GetStream(kStreamTypeVideo, 0), nullptr);
  ASSERT_NE(reader, nullptr);
  const uint8_t* dib = reader->GetFrame(0);
  ASSERT_NE(dib, nullptr);
  platform::BitmapHeader h;
  ASSERT_TRUE(platform::ReadBitmapHeader(dib, 40, h));
  EXPECT_EQ(h.size, 40u);
  EXPECT_EQ(h.width, 3);
  EXPECT_EQ(h.height, 2);  // bottom-up
  EXPECT_EQ(h.bitCount, 24);
  EXPECT_EQ(h.compression, platform::kBiRgb);
  EXPECT_EQ(h.sizeImage, 24u);  // two rows of 9 bytes padded to 12
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(DibPixel(dib, x, y), pixel(x, y)) << x << "," << y;
  EXPECT_EQ(reader->GetFrame(1), nullptr);
  EXPECT_EQ(reader->GetFrame(-1), nullptr);
}

TEST(FrameReader, DecodesEightBitFramesThroughTheirPalette) {
  AviStreamSpec v;
  v.format = BitmapFormat(5, 2, 8, 0, testing_support::ColourTable(kPalette), 6);
  // Rows of 5 indices padded to 8 bytes, bottom first.
  v.chunks = {Bytes({1, 2, 3, 4, 5, 0, 0, 0, 5, 4, 3, 2, 1, 0, 0, 0})};
  auto file = Open(Clip(v));
  auto reader = FrameReader::Open(*file, *file->GetStream(kStreamTypeVideo, 0), nullptr);
  ASSERT_NE(reader, nullptr);
  EXPECT_EQ(Rows(reader->GetFrame(0), 5, 2, kPalette),
            (std::vector<std::string>{"54321", "12345"}));
}

TEST(FrameReader, DecodesSixteenAndThirtyTwoBitFrames) {
  // 5-5-5 without masks, 5-6-5 with masks, and 32 bits plain and with masks.
  std::string masks565, masks32;
  testing_support::Put32(masks565, 0xF800);
  testing_support::Put32(masks565, 0x07E0);
  testing_support::Put32(masks565, 0x001F);
  testing_support::Put32(masks32, 0x000000FF);  // red in the low byte
  testing_support::Put32(masks32, 0x0000FF00);
  testing_support::Put32(masks32, 0x00FF0000);
  struct Case {
    std::string format, frame;
    Bgr left, right;
  } cases[] = {
      {BitmapFormat(2, 1, 16, 0), Bytes({0x00, 0x7C, 0xE0, 0x03}), kRed, kGreen},
      {BitmapFormat(2, 1, 16, 3, masks565), Bytes({0x1F, 0x00, 0xFF, 0xFF}), kBlue, kWhite},
      {BitmapFormat(2, 1, 32, 0), Bytes({10, 20, 30, 99, 255, 255, 255, 0}), Bgr{10, 20, 30},
       kWhite},
      {BitmapFormat(2, 1, 32, 3, masks32), Bytes({30, 20, 10, 0, 0, 0, 255, 0}), Bgr{10, 20, 30},
       kBlue},
  };
  for (const Case& c : cases) {
    AviStreamSpec v;
    v.format = c.format;
    v.chunks = {c.frame};
    auto file = Open(Clip(v));
    auto reader = FrameReader::Open(*file, *file->GetStream(kStreamTypeVideo, 0), nullptr);
    ASSERT_NE(reader, nullptr);
    const uint8_t* dib = reader->GetFrame(0);
    ASSERT_NE(dib, nullptr);
    EXPECT_EQ(DibPixel(dib, 0, 0), c.left);
    EXPECT_EQ(DibPixel(dib, 1, 0), c.right);
  }
}

TEST(FrameReader, TurnsTopDownFramesTheRightWayUp) {
  AviStreamSpec v;
  v.format = BitmapFormat(2, -2, 24, 0);
  auto pixel = [](int x, int y) { return y == 0 ? (x == 0 ? kRed : kGreen) : kBlue; };
  v.chunks = {testing_support::Frame24(2, 2, pixel, true)};
  auto file = Open(Clip(v));
  auto reader = FrameReader::Open(*file, *file->GetStream(kStreamTypeVideo, 0), nullptr);
  ASSERT_NE(reader, nullptr);
  const uint8_t* dib = reader->GetFrame(0);
  EXPECT_EQ(DibPixel(dib, 0, 0), kRed);
  EXPECT_EQ(DibPixel(dib, 1, 0), kGreen);
  EXPECT_EQ(DibPixel(dib, 0, 1), kBlue);
}

TEST(FrameReader, DecodesRunLengthFramesEachOverTheOneBefore) {
  auto file = Open(Clip(RleVideo()));
  ASSERT_NE(file, nullptr);
  auto reader = FrameReader::Open(*file, *file->GetStream(kStreamTypeVideo, 0), nullptr);
  ASSERT_NE(reader, nullptr);
  const std::vector<std::string> frame0 = {"222222", "550033", "111234"};
  const std::vector<std::string> frame1 = {"222222", "540033", "111234"};
  const std::vector<std::string> frame3 = {"222222", "540033", "441234"};
  EXPECT_EQ(Rows(reader->GetFrame(0), 6, 3, kPalette), frame0);
  EXPECT_EQ(Rows(reader->GetFrame(1), 6, 3, kPalette), frame1);
  EXPECT_EQ(Rows(reader->GetFrame(2), 6, 3, kPalette), frame1);  // dropped: unchanged
  EXPECT_EQ(Rows(reader->GetFrame(3), 6, 3, kPalette), frame3);
  EXPECT_EQ(reader->GetFrame(4), nullptr);
  // Back to the start and straight to a later frame: the same pictures.
  EXPECT_EQ(Rows(reader->GetFrame(0), 6, 3, kPalette), frame0);
  EXPECT_EQ(Rows(reader->GetFrame(3), 6, 3, kPalette), frame3);
  EXPECT_EQ(Rows(reader->GetFrame(1), 6, 3, kPalette), frame1);
}

TEST(FrameReader, AnUncompressedDroppedFrameRepeatsTheOneBefore) {
  AviStreamSpec v = testing_support::SolidVideo(2, 2, {kRed, kGreen});
  v.chunks.insert(v.chunks.begin() + 1, "");
  v.chunks.insert(v.chunks.begin(), "");
  auto file = Open(Clip(v));
  auto reader = FrameReader::Open(*file, *file->GetStream(kStreamTypeVideo, 0), nullptr);
  EXPECT_EQ(DibPixel(reader->GetFrame(0), 0, 0), kBlack);  // nothing yet
  EXPECT_EQ(DibPixel(reader->GetFrame(2), 1, 1), kRed);
  EXPECT_EQ(DibPixel(reader->GetFrame(3), 1, 1), kGreen);
  EXPECT_EQ(DibPixel(reader->GetFrame(2), 1, 1), kRed);
}

TEST(FrameReader, FramesCountFromTheStreamStartAndEndAtItsLength) {
  AviStreamSpec v = testing_support::SolidVideo(1, 1, {kRed, kGreen, kBlue});
  v.start = 2;
  v.length = 2;  // the third chunk is past the stream's length
  auto file = Open(Clip(v));
  auto reader = FrameReader::Open(*file, *file->GetStream(kStreamTypeVideo, 0), nullptr);
  EXPECT_EQ(reader->GetFrame(1), nullptr);
  EXPECT_EQ(DibPixel(reader->GetFrame(2), 0, 0), kRed);
  EXPECT_EQ(DibPixel(reader->GetFrame(3), 0, 0), kGreen);
  EXPECT_EQ(reader->GetFrame(4), nullptr);
  // A length beyond the chunks there are: the missing frames are missing.
  v.start = 0;
  v.length = 10;
  file = Open(Clip(v));
  reader = FrameReader::Open(*file, *file->GetStream(kStreamTypeVideo, 0), nullptr);
  EXPECT_NE(reader->GetFrame(2), nullptr);
  EXPECT_EQ(reader->GetFrame(3), nullptr);
}

TEST(FrameReader, ADamagedFrameIsMissingAndTheNextStillDecodes) {
  AviStreamSpec v = testing_support::SolidVideo(4, 4, {kRed, kGreen, kBlue});
  v.chunks[1].resize(20);  // 4 rows of 12 bytes wanted
  auto file = Open(Clip(v));
  auto reader = FrameReader::Open(*file, *file->GetStream(kStreamTypeVideo, 0), nullptr);
  EXPECT_NE(reader->GetFrame(0), nullptr);
  EXPECT_EQ(reader->GetFrame(1), nullptr);
  ASSERT_NE(reader->GetFrame(2), nullptr);
  EXPECT_EQ(DibPixel(reader->GetFrame(2), 3, 3), kBlue);
}

TEST(FrameReader, RefusesFormatsItCannotDecode) {
  struct Case {
    std::string type, format, why;
  } cases[] = {
      {"auds", BitmapFormat(2, 2, 24, 0), "not a video stream"},
      {"vids", "short", "no bitmap header in the stream format"},
      {"vids", BitmapFormat(2, 2, 24, 0x44495658), "frame format not supported"},  // XVID
      {"vids", BitmapFormat(2, 2, 12, 0), "frame format not supported"},
      {"vids", BitmapFormat(2, -2, 8, 1), "frame format not supported"},  // top-down RLE8
      {"vids", BitmapFormat(0, 2, 24, 0), "frame size out of range"},
      {"vids", BitmapFormat(5000, 2, 24, 0), "frame size out of range"},
      {"vids", BitmapFormat(4096, 4096, 24, 0), "frame size out of range"},
      {"vids", BitmapFormat(2, 2, 16, 3, "abc"), "colour masks missing"},
  };
  for (const Case& c : cases) {
    AviStreamSpec v;
    v.type = c.type;
    v.format = c.format;
    v.chunks = {"x"};
    auto file = Open(Clip(v));
    ASSERT_NE(file, nullptr);
    std::string why;
    uint32_t type = platform::FourCc("vids");
    std::memcpy(&type, c.type.data(), 4);
    EXPECT_EQ(FrameReader::Open(*file, *file->GetStream(type, 0), &why), nullptr) << c.why;
    EXPECT_EQ(why, c.why);
  }
}

TEST(FrameReader, AnEightBitPaletteShortOfItsEntriesLeavesTheRestBlack) {
  AviStreamSpec v;
  v.format = BitmapFormat(2, 1, 8, 0, testing_support::ColourTable({kRed}), 256);
  v.chunks = {Bytes({0, 200, 0, 0})};
  auto file = Open(Clip(v));
  auto reader = FrameReader::Open(*file, *file->GetStream(kStreamTypeVideo, 0), nullptr);
  ASSERT_NE(reader, nullptr);
  EXPECT_EQ(DibPixel(reader->GetFrame(0), 0, 0), kRed);
  EXPECT_EQ(DibPixel(reader->GetFrame(0), 1, 0), kBlack);
}

TEST(AviFile, RefusesWhatIsNotAnAviFileOrIsDamaged) {
  std::string good = Clip(testing_support::SolidVideo(2, 2, {kRed}));
  EXPECT_EQ(Refusal(""), "not a RIFF AVI file");
  EXPECT_EQ(Refusal("RIFF\x04\0\0\0WAVE"), "not a RIFF AVI file");
  std::string wave = good;
  wave.replace(8, 4, "WAVE");
  EXPECT_EQ(Refusal(wave), "not a RIFF AVI file");
  EXPECT_EQ(Refusal(good.substr(0, 20)), "no header list");
  std::string noData = good;
  noData.resize(noData.find("movi") - 8);
  EXPECT_EQ(Refusal(noData), "no data list");

  // A stream header too short for its fields.
  AviSpec spec;
  spec.streams.push_back(testing_support::SolidVideo(2, 2, {kRed}));
  std::string bytes = AviBytes(spec);
  size_t strh = bytes.find("strh");
  bytes[strh + 4] = 20;
  EXPECT_EQ(Refusal(bytes), "stream header too short");
  // A format block claiming more than its list holds.
  bytes = AviBytes(spec);
  size_t strf = bytes.find("strf");
  bytes[strf + 5] = 0x7F;
  EXPECT_EQ(Refusal(bytes), "stream format block too large for its list");
  // A stream list without its header.
  bytes = AviBytes(spec);
  bytes.replace(bytes.find("strh"), 4, "xxxx");
  EXPECT_EQ(Refusal(bytes), "stream list without a stream header");
}

TEST(AviFile, ATruncatedFileKeepsTheChunksItHolds) {
  AviSpec spec;
  spec.streams.push_back(testing_support::SolidVideo(4, 4, {kRed, kGreen, kBlue}));
  spec.withIndex = false;
  std::string bytes = AviBytes(spec);
  size_t third = bytes.rfind("00dc");
  bytes.resize(third + 8 + 10);  // the third frame cut short, no index
  auto file = Open(bytes);
  ASSERT_NE(file, nullptr);
  const platform::AviStream* v = file->GetStream(kStreamTypeVideo, 0);
  ASSERT_EQ(v->chunks.size(), 3u);
  EXPECT_EQ(v->chunks[2].size, 10u);
  auto reader = FrameReader::Open(*file, *v, nullptr);
  EXPECT_NE(reader->GetFrame(1), nullptr);
  EXPECT_EQ(reader->GetFrame(2), nullptr);
}

TEST(AviFile, ReadsFromAnOpenFile) {
  testing_support::TempDir dir;
  std::string path = dir / "clip.avi";
  testing_support::WriteFile(path, Clip(testing_support::SolidVideo(3, 3, {kGreen, kWhite})));
  auto file = AviFile::Open(ByteSource::FromFile(std::fopen(path.c_str(), "rb")), nullptr);
  ASSERT_NE(file, nullptr);
  auto reader = FrameReader::Open(*file, *file->GetStream(kStreamTypeVideo, 0), nullptr);
  EXPECT_EQ(DibPixel(reader->GetFrame(1), 2, 2), kWhite);
  EXPECT_EQ(AviFile::Open(ByteSource::FromFile(nullptr), nullptr), nullptr);
}

TEST(StreamSampleToTime, ScalesSamplesToMilliseconds) {
  platform::AviStream s;
  s.scale = 1;
  s.rate = 25;
  EXPECT_EQ(platform::StreamSampleToTime(s, 100), 4000);
  s.scale = 1001;
  s.rate = 30000;
  EXPECT_EQ(platform::StreamSampleToTime(s, 30), 1001);
  EXPECT_EQ(platform::StreamSampleToTime(s, 0), 0);
  s.rate = 0;
  EXPECT_EQ(platform::StreamSampleToTime(s, 30), 0);
  s.rate = 1;
  s.scale = 0xFFFFFFFF;
  EXPECT_EQ(platform::StreamSampleToTime(s, 0xFFFFFFFFLL), INT32_MAX);
}

// ffmpeg's decoders, where it is installed, agree with ours byte for byte.
TEST(FrameReader, AgreesWithFfmpegOnEveryFormat) {
  if (!testing_support::HaveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  // Decoders differ on runs past the edge (ffmpeg drops them) and on skips anywhere but
  // at the start of a frame (ffmpeg's column count runs on from earlier rows): the
  // run-length clip here has neither.
  AviStreamSpec rle = RleVideo();
  rle.chunks = {Bytes({3, 1, 0, 3, 2, 3, 4, 0, 0, 0, 2, 3, 2, 5, 2, 1, 0, 0, 6, 2, 0, 1}),
                rle.chunks[1], Bytes({6, 3, 0, 0, 2, 4, 3, 5, 0, 0, 6, 1, 0, 1})};
  AviStreamSpec eight;
  eight.format = BitmapFormat(5, 2, 8, 0, testing_support::ColourTable(kPalette), 6);
  eight.chunks = {Bytes({1, 2, 3, 4, 5, 0, 0, 0, 5, 4, 3, 2, 1, 0, 0, 0})};
  AviStreamSpec sixteen;
  sixteen.format = BitmapFormat(2, 2, 16, 0);
  sixteen.chunks = {Bytes({0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0x34, 0x12})};
  AviStreamSpec rgb = testing_support::SolidVideo(3, 2, {kRed, kGrey});
  rgb.chunks.push_back(testing_support::Frame24(3, 2, [](int x, int y) {
    return Bgr{static_cast<uint8_t>(x * 80), static_cast<uint8_t>(y * 90), 33};
  }));
  testing_support::TempDir dir;
  int n = 0;
  for (const AviStreamSpec& v : {rle, eight, sixteen, rgb}) {
    std::string path = dir / ("clip" + std::to_string(n++) + ".avi");
    testing_support::WriteFile(path, Clip(v));
    auto file = Open(Clip(v));
    auto reader = FrameReader::Open(*file, *file->GetStream(kStreamTypeVideo, 0), nullptr);
    ASSERT_NE(reader, nullptr);
    platform::BitmapHeader h;
    platform::ReadBitmapHeader(reinterpret_cast<const uint8_t*>(v.format.data()), 40, h);
    std::vector<std::string> theirs;
    ASSERT_TRUE(testing_support::FfmpegFrames(path, h.width, std::abs(h.height), theirs)) << path;
    ASSERT_EQ(theirs.size(), v.chunks.size()) << path;
    for (size_t i = 0; i < theirs.size(); ++i)
      EXPECT_EQ(testing_support::TopDownBgr(reader->GetFrame(static_cast<int>(i))), theirs[i])
          << path << " frame " << i;
  }
}

}  // namespace
