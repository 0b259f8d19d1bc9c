// The SDL sound device without sound hardware: SDL's dummy driver (a device that plays
// into nothing) and no driver at all (the mixer moved on by the clock). Neither is an
// error; buffers are made, started, looped, asked after and stopped the same way.
#include "platform/audio/sdl_sound_device.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "wav_builder.h"

namespace {

using testing_support::PcmFormat;

void Exercise(platform::SdlSoundDevice& device) {
  ASSERT_TRUE(device.Create());
  EXPECT_TRUE(device.SetNormalCooperation());
  // A minute of sound: it is still playing whenever the next line runs.
  std::string minute(22050u * 60 * 2, '\x01');
  auto* bytes = reinterpret_cast<const uint8_t*>(minute.data());
  platform::SoundBuffer b = device.CreateBuffer(PcmFormat(1, 22050, 16), bytes, minute.size(), "m");
  ASSERT_NE(b, 0);
  EXPECT_FALSE(device.Status(b).playing);
  device.Play(b, false);
  EXPECT_TRUE(device.Status(b).playing);
  EXPECT_FALSE(device.Status(b).looping);
  device.Play(b, true);
  EXPECT_TRUE(device.Status(b).looping);
  device.Stop(b);
  EXPECT_FALSE(device.Status(b).playing);
  // Formats the mixer cannot play make no buffer.
  EXPECT_EQ(device.CreateBuffer(PcmFormat(1, 22050, 24), bytes, 300, "24-bit"), 0);
  EXPECT_EQ(device.CreateBuffer(PcmFormat(2, 22050, 16), bytes, 3, "no whole frame"), 0);
  EXPECT_FALSE(device.Status(0).playing);
  device.Play(99, false);  // no such buffer
  EXPECT_FALSE(device.Status(99).playing);
}

TEST(SdlSoundDevice, WithTheDummyDriverPlaysIntoNothing) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  platform::SdlSoundDevice device;
  Exercise(device);
  EXPECT_FALSE(device.Silent());
  device.Close();
}

TEST(SdlSoundDevice, WithoutAnyDriverPlaysOnInSilence) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  platform::SdlSoundDevice device;
  Exercise(device);
  EXPECT_TRUE(device.Silent());
}

}  // namespace
