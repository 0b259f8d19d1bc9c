// The mixer without a device: conversion of every playable format to the device's, two
// sounds summed and clipped, sounds played once ending exactly at their length, looped
// sounds wrapping without a gap, and a whole file's way from bytes to the device.
#include "platform/audio/mixer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sound/wave_file.h"
#include "wav_builder.h"

namespace {

using platform::ConvertSamples;
using platform::Mixer;
using platform::MixFormat;
using platform::WaveFormat;
using testing_support::PcmFormat;

std::vector<uint8_t> Bytes(const std::string& s) {
  return std::vector<uint8_t>(s.begin(), s.end());
}

// Samples in the device format (stereo) made of one value per frame on both sides.
std::vector<int16_t> Stereo(std::vector<int16_t> perFrame) {
  std::vector<int16_t> out;
  for (int16_t v : perFrame) out.insert(out.end(), {v, v});
  return out;
}

std::vector<int16_t> Mix(Mixer& m, size_t frames) {
  std::vector<int16_t> out(frames * m.Format().channels, 12345);
  m.Mix(out.data(), frames);
  return out;
}

TEST(PlayableFormat, TakesEightAndSixteenBitPcmOnly) {
  std::string why;
  EXPECT_TRUE(platform::PlayableFormat(PcmFormat(1, 22050, 8), &why));
  EXPECT_TRUE(platform::PlayableFormat(PcmFormat(6, 44100, 16), &why));
  WaveFormat f = PcmFormat(2, 44100, 24);
  EXPECT_FALSE(platform::PlayableFormat(f, &why));
  EXPECT_EQ(why, "not 8 or 16 bits");
  f = PcmFormat(2, 44100, 16);
  f.blockAlign = 2;
  EXPECT_FALSE(platform::PlayableFormat(f, &why));
  f = PcmFormat(1, 22050, 16);
  f.formatTag = 3;  // floating point
  EXPECT_FALSE(platform::PlayableFormat(f, &why));
  f = PcmFormat(0, 22050, 16);
  EXPECT_FALSE(platform::PlayableFormat(f, &why));
  f = PcmFormat(1, 0, 16);
  EXPECT_FALSE(platform::PlayableFormat(f, &why));
}

TEST(PlayableFormat, TakesExtensiblePcmButNotExtensibleFloat) {
  WaveFormat f = PcmFormat(2, 48000, 16);
  f.formatTag = platform::kWaveFormatExtensible;
  f.extra = {16, 0, 3, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
  EXPECT_TRUE(platform::PlayableFormat(f, nullptr));
  f.extra[6] = 3;  // the floating-point sub-format
  EXPECT_FALSE(platform::PlayableFormat(f, nullptr));
  f.extra.resize(10);
  EXPECT_FALSE(platform::PlayableFormat(f, nullptr));
}

TEST(ConvertSamples, WidensEightBitAndMapsChannels) {
  std::vector<uint8_t> eight = {128, 255, 0};
  EXPECT_EQ(ConvertSamples(PcmFormat(1, 48000, 8), eight.data(), eight.size(), {48000, 2}),
            (std::vector<int16_t>{0, 0, 32512, 32512, -32768, -32768}));
  // Stereo onto a mono device: the two sides averaged; a trailing half frame dropped.
  std::vector<uint8_t> stereo = Bytes(testing_support::Pcm16(
      2, 2, [](size_t i, int c) { return static_cast<int16_t>(c == 0 ? 1000 * (i + 1) : -200); }));
  stereo.push_back(7);
  EXPECT_EQ(ConvertSamples(PcmFormat(2, 48000, 16), stereo.data(), stereo.size(), {48000, 1}),
            (std::vector<int16_t>{400, 900}));
  // Six channels onto stereo: the first two.
  std::vector<uint8_t> six = Bytes(testing_support::Pcm16(
      1, 6, [](size_t, int c) { return static_cast<int16_t>(100 * (c + 1)); }));
  EXPECT_EQ(ConvertSamples(PcmFormat(6, 48000, 16), six.data(), six.size(), {48000, 2}),
            (std::vector<int16_t>{100, 200}));
  // Nothing for an unplayable format or no whole frame.
  EXPECT_TRUE(ConvertSamples(PcmFormat(2, 48000, 24), six.data(), six.size(), {48000, 2}).empty());
  EXPECT_TRUE(ConvertSamples(PcmFormat(2, 48000, 16), six.data(), 3, {48000, 2}).empty());
  // Nor for ten minutes of sound, however little data that takes.
  std::vector<uint8_t> tenMinutes(1000 * 600, 128);
  EXPECT_TRUE(
      ConvertSamples(PcmFormat(1, 1000, 8), tenMinutes.data(), tenMinutes.size(), {48000, 2})
          .empty());
  EXPECT_EQ(ConvertSamples(PcmFormat(1, 1000, 8), tenMinutes.data(), 1000 * 599, {1000, 1}).size(),
            1000u * 599);
}

TEST(ConvertSamples, ChangesTheRateByInterpolation) {
  // 0, 1000, 2000 at 24 kHz doubled to 48 kHz: the halfway values fall between.
  std::vector<uint8_t> ramp = Bytes(
      testing_support::Pcm16(3, 1, [](size_t i, int) { return static_cast<int16_t>(1000 * i); }));
  std::vector<int16_t> up =
      ConvertSamples(PcmFormat(1, 24000, 16), ramp.data(), ramp.size(), {48000, 1});
  EXPECT_EQ(up, (std::vector<int16_t>{0, 500, 1000, 1500, 2000, 2000}));
  // One second at 22050 Hz is one second at 48000 Hz, and at 44100 Hz.
  std::vector<uint8_t> second =
      Bytes(testing_support::Pcm16(22050, 1, [](size_t, int) { return 300; }));
  EXPECT_EQ(
      ConvertSamples(PcmFormat(1, 22050, 16), second.data(), second.size(), {48000, 2}).size(),
      48000u * 2);
  EXPECT_EQ(
      ConvertSamples(PcmFormat(1, 22050, 16), second.data(), second.size(), {44100, 1}).size(),
      44100u);
}

TEST(Mixer, TwoSoundsAreAddedAndTheSumClipped) {
  Mixer m({48000, 2});
  platform::SoundBuffer a = m.Add(Stereo({1000, 1000, 30000, 30000}));
  platform::SoundBuffer b = m.Add(Stereo({-300, 500, 10000}));
  ASSERT_NE(a, b);
  m.Play(a, false);
  m.Play(b, false);
  EXPECT_EQ(Mix(m, 5), Stereo({700, 1500, 32767, 30000, 0}));
  EXPECT_FALSE(m.IsPlaying(a));
  EXPECT_FALSE(m.IsPlaying(b));
  EXPECT_EQ(Mix(m, 2), Stereo({0, 0}));  // silence once both are over
}

TEST(Mixer, ASoundPlayedOnceEndsExactlyAtItsLength) {
  Mixer m({48000, 1});
  platform::SoundBuffer s = m.Add(std::vector<int16_t>(1000, 7));
  EXPECT_EQ(m.Frames(s), 1000u);
  EXPECT_FALSE(m.IsPlaying(s));
  m.Play(s, false);
  EXPECT_TRUE(m.IsPlaying(s));
  EXPECT_FALSE(m.IsLooping(s));
  std::vector<int16_t> first = Mix(m, 999);
  EXPECT_TRUE(m.IsPlaying(s));
  std::vector<int16_t> rest = Mix(m, 3);
  EXPECT_FALSE(m.IsPlaying(s));
  EXPECT_EQ(rest, (std::vector<int16_t>{7, 0, 0}));
}

TEST(Mixer, PlayingAgainRestartsFromTheBeginning) {
  Mixer m({48000, 1});
  platform::SoundBuffer s = m.Add({1, 2, 3, 4, 5});
  m.Play(s, false);
  EXPECT_EQ(Mix(m, 3), (std::vector<int16_t>{1, 2, 3}));
  m.Play(s, false);  // still playing: back to the start, not a second copy
  EXPECT_EQ(Mix(m, 6), (std::vector<int16_t>{1, 2, 3, 4, 5, 0}));
  // A stopped sound keeps its place but starts from the beginning next time.
  m.Play(s, false);
  Mix(m, 2);
  m.Stop(s);
  EXPECT_FALSE(m.IsPlaying(s));
  EXPECT_EQ(Mix(m, 2), (std::vector<int16_t>{0, 0}));
  m.Play(s, false);
  EXPECT_EQ(Mix(m, 1), (std::vector<int16_t>{1}));
}

TEST(Mixer, ALoopWrapsWithoutAGapUntilStopped) {
  Mixer m({48000, 1});
  platform::SoundBuffer s = m.Add({1, 2, 3});
  m.Play(s, true);
  EXPECT_TRUE(m.IsLooping(s));
  // Across the end within one call, and across calls of awkward sizes (one call longer
  // than the mixer's own blocks).
  std::vector<int16_t> out = Mix(m, 8);
  EXPECT_EQ(out, (std::vector<int16_t>{1, 2, 3, 1, 2, 3, 1, 2}));
  std::vector<int16_t> more = Mix(m, 700);
  for (size_t i = 0; i < more.size(); ++i) ASSERT_EQ(more[i], (i + 2) % 3 + 1) << i;
  EXPECT_TRUE(m.IsPlaying(s));
  m.Stop(s);
  EXPECT_FALSE(m.IsPlaying(s));
  EXPECT_EQ(Mix(m, 2), (std::vector<int16_t>{0, 0}));
}

TEST(Mixer, SkippingMovesSoundsOnWithoutSound) {
  Mixer m({48000, 1});
  platform::SoundBuffer once = m.Add({1, 2, 3, 4});
  platform::SoundBuffer loop = m.Add({10, 20, 30});
  m.Play(once, false);
  m.Play(loop, true);
  m.Skip(3);
  EXPECT_TRUE(m.IsPlaying(once));
  EXPECT_EQ(Mix(m, 2), (std::vector<int16_t>{14, 20}));
  m.Skip(999999);  // whole loops: the loop stands where it stood
  EXPECT_FALSE(m.IsPlaying(once));
  EXPECT_EQ(Mix(m, 1), (std::vector<int16_t>{30}));
}

TEST(Mixer, RefusesEmptyBuffersAndIgnoresUnknownOnes) {
  Mixer m({48000, 2});
  EXPECT_EQ(m.Add({}), 0);
  EXPECT_EQ(m.Add({5}), 0);  // half a stereo frame
  m.Play(0, false);
  m.Play(9, true);
  m.Stop(-1);
  EXPECT_FALSE(m.IsPlaying(9));
  EXPECT_EQ(Mix(m, 1), (std::vector<int16_t>{0, 0}));
}

TEST(Mixer, A22050HzMonoFilePlaysOnA48000HzStereoDeviceForItsLength) {
  // Half a second of a file, read as the game reads it, converted and mixed in device
  // blocks until it ends: 24000 frames of sound on both sides, then silence.
  testing_support::WavSpec w;
  w.data = testing_support::Pcm16(11025, 1, [](size_t, int) { return 4000; });
  std::string file = testing_support::WavBytes(w);
  WaveFile wave;
  ASSERT_TRUE(ParseWave(reinterpret_cast<const uint8_t*>(file.data()), file.size(), wave, nullptr));
  Mixer m({48000, 2});
  platform::SoundBuffer s = m.Add(
      ConvertSamples(wave.format, reinterpret_cast<const uint8_t*>(file.data()) + wave.dataOffset,
                     wave.dataSize, m.Format()));
  m.Play(s, false);
  size_t sounding = 0, mixed = 0;
  while (m.IsPlaying(s) && mixed < 48000) {
    std::vector<int16_t> block = Mix(m, 1024);
    mixed += 1024;
    for (size_t i = 0; i < block.size(); i += 2) {
      EXPECT_EQ(block[i], block[i + 1]);
      if (block[i] == 4000) ++sounding;
    }
  }
  EXPECT_EQ(sounding, 24000u);
  EXPECT_EQ(mixed, 24576u);  // the block in which it ended was the last
}

}  // namespace
