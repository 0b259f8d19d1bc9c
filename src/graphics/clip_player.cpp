#include "graphics/clip_player.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "graphics/display.h"
#include "graphics/image_decode.h"
#include "shell/eventlog.h"
#include "shell/system.h"
#include "shell/timing.h"

CAviFile ClipFile;

namespace {

int32_t gClipState = 2;
int32_t gCurrentFrame = 0;
uint16_t gInterval = 0;
uint32_t gNextAdvance = 0;
const uint8_t* gCurrentPicture = nullptr;

// A copy of a stream's format block in a buffer of its own; false when there is none
// or it cannot be allocated.
bool CopyFormat(const platform::AviStream* stream, std::unique_ptr<uint8_t[]>& out) {
  size_t size = stream->format.size();
  if (size == 0) return false;
  out.reset(new (std::nothrow) uint8_t[size]);
  if (!out) return false;
  std::memcpy(out.get(), stream->format.data(), size);
  return true;
}

}  // namespace

// The reader needs no library start-up or shut-down of its own.
CAviFile::CAviFile() = default;

CAviFile::~CAviFile() {
  Close();
}

bool CAviFile::Open(const char* path, std::string* why) {
  if (file) Close();
  FILE* f = Sys().OpenFile(path, "rb");
  if (!f) {
    if (why) *why = "cannot open the file";
    return false;
  }
  file = platform::AviFile::Open(platform::ByteSource::FromFile(f), why);
  if (!file) return false;
  while (audioCount < kMaxClipStreams) {
    const platform::AviStream* s = file->GetStream(platform::kStreamTypeAudio, audioCount);
    if (!s) break;
    audioStreams[audioCount++] = s;
  }
  while (videoCount < kMaxClipStreams) {
    const platform::AviStream* s = file->GetStream(platform::kStreamTypeVideo, videoCount);
    if (!s) break;
    videoStreams[videoCount++] = s;
  }
  bool ok = true;
  for (int i = 0; ok && i < audioCount; ++i) ok = CopyFormat(audioStreams[i], audioFormats[i]);
  for (int i = 0; ok && i < videoCount; ++i) ok = CopyFormat(videoStreams[i], videoFormats[i]);
  if (!ok) {
    Close();
    if (why) *why = "a stream has no format block";
  }
  return ok;
}

bool CAviFile::OpenFrames(int index, std::string* why) {
  if (index < 0 || index >= videoCount) return false;
  frameReaders[index] = platform::FrameReader::Open(*file, *videoStreams[index], why);
  if (!frameReaders[index]) return false;
  frameReaders[index]->SetBlind(Device().Blind());
  const platform::AviStream& s = *videoStreams[index];
  durations[index] = platform::StreamSampleToTime(s, int64_t{s.start} + s.length);
  return true;
}

bool CAviFile::CloseFrames(int index) {
  if (index < 0 || index >= kMaxClipStreams || !frameReaders[index]) return false;
  frameReaders[index].reset();
  return true;
}

const uint8_t* CAviFile::GetFrame(int index, int32_t frame) {
  if (index < 0 || index >= kMaxClipStreams || !frameReaders[index]) return nullptr;
  return frameReaders[index]->GetFrame(frame);
}

const uint8_t* CAviFile::VideoFormat(int index) const {
  return index >= 0 && index < videoCount ? videoFormats[index].get() : nullptr;
}

const uint8_t* CAviFile::AudioFormat(int index) const {
  return index >= 0 && index < audioCount ? audioFormats[index].get() : nullptr;
}

int32_t CAviFile::Duration(int index) const {
  return index >= 0 && index < kMaxClipStreams ? durations[index] : 0;
}

bool CAviFile::FramesOpen(int index) const {
  return index >= 0 && index < kMaxClipStreams && frameReaders[index] != nullptr;
}

void CAviFile::Close() {
  // The frame readers read through the file, so they go first.
  for (auto& r : frameReaders) r.reset();
  file.reset();
  for (int i = 0; i < kMaxClipStreams; ++i) {
    audioStreams[i] = videoStreams[i] = nullptr;
    audioFormats[i].reset();
    videoFormats[i].reset();
    durations[i] = 0;
  }
  audioCount = videoCount = 0;
}

int OpenClip(const char* path, uint16_t interval) {
  gCurrentPicture = nullptr;
  // A clip that cannot be played is skipped, and the event log says why.
  std::string why;
  if (ClipFile.Open(path, &why) && ClipFile.VideoCount() == 0) why = "no video stream";
  if (ClipFile.VideoCount() == 0) {
    LogMessage("clip (%s): %s, not played\n", path, why.c_str());
    return -1;
  }
  if (!ClipFile.OpenFrames(0, &why)) LogMessage("clip (%s): %s, not played\n", path, why.c_str());
  gClipState = 0;
  gCurrentFrame = 0;
  gNextAdvance = 0;
  gInterval = interval;
  return 0;
}

int StepClip(int advance, int x, int y) {
  if (advance < 0) {
    gCurrentFrame = 0;
    gClipState = 0;
    gNextAdvance = 0;
    advance = 0;
  }
  if (gClipState == 0) {
    uint32_t now = timeGetTime();
    if (now > gNextAdvance) {
      gCurrentFrame += advance;
      gNextAdvance = now + gInterval;
    }
  }
  gCurrentPicture = ClipFile.GetFrame(0, gCurrentFrame);
  if (!gCurrentPicture) {
    gClipState = 1;
    gCurrentPicture = ClipFile.GetFrame(0, gCurrentFrame - advance);
  }
  if (gCurrentPicture) PaintClipFrame(gCurrentPicture, x, y);
  return 0;
}

int32_t ClipState() {
  return gClipState;
}

int CloseClip() {
  ClipFile.CloseFrames(0);
  ClipFile.Close();
  gCurrentPicture = nullptr;
  gClipState = 2;
  return 0;
}

void PaintClipFrame(const uint8_t* picture, int x, int y) {
  platform::BitmapHeader h;
  if (!picture || !platform::ReadBitmapHeader(picture, platform::kBitmapHeaderSize, h)) return;
  const int bits = h.bitCount;
  if (h.compression != platform::kBiRgb || (bits != 24 && bits != 32)) return;
  const int width = h.width, height = h.height < 0 ? -h.height : h.height;
  if (width < 1 || height < 1 || width > platform::kMaxFrameSide ||
      height > platform::kMaxFrameSide)
    return;
  const size_t stride = ((static_cast<size_t>(width) * bits + 31) / 32) * 4;
  if (h.sizeImage < stride * height) return;
  const uint8_t* pixels = picture + h.size;

  platform::LockedSurface s;
  if (Device().Lock(BackBuffer, s) != platform::DisplayResult::Ok) return;
  const int left = std::max(0, -x), right = std::min(width, s.width - x);
  for (int r = 0; r < height && left < right && !Device().Blind(); ++r) {
    int row = h.height > 0 ? height - 1 - r : r;  // from the top
    int dy = y + row;
    if (dy < 0 || dy >= s.height) continue;
    const uint8_t* src = pixels + stride * r + static_cast<size_t>(left) * (bits / 8);
    auto* dst = reinterpret_cast<uint16_t*>(reinterpret_cast<uint8_t*>(s.pixels) +
                                            static_cast<size_t>(dy) * s.pitch) +
                x + left;
    for (int i = left; i < right; ++i, src += bits / 8) *dst++ = Rgb565(src[2], src[1], src[0]);
  }
  Device().Unlock(BackBuffer);
}
