// The two full-screen clips (the jackpot and the game over): CAviFile opens an AVI file
// and finds its audio and video streams with their formats, and the player on the one
// instance advances the first video stream in real time and paints its current frame
// onto the back buffer. The clips' own sound tracks are not played.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/clip/avi_file.h"
#include "platform/clip/frame_reader.h"

inline constexpr int kMaxClipStreams = 5;

class CAviFile {
 public:
  CAviFile();
  virtual ~CAviFile();
  CAviFile(const CAviFile&) = delete;
  CAviFile& operator=(const CAviFile&) = delete;

  // Opens the file (a path relative to the game folder) and takes up to five streams of
  // each kind with their format blocks; false, with everything released and the reason
  // in `why`, on failure.
  bool Open(const char* path, std::string* why = nullptr);
  bool OpenFrames(int index, std::string* why = nullptr);
  bool CloseFrames(int index);
  // Frame `frame` of video stream `index` as a bitmap information header followed by
  // the pixels; null when there is no such frame or no frame reader.
  const uint8_t* GetFrame(int index, int32_t frame);
  int VideoCount() const { return videoCount; }
  const uint8_t* VideoFormat(int index) const;
  void Close();

  // For tests.
  int AudioCount() const { return audioCount; }
  const uint8_t* AudioFormat(int index) const;
  int32_t Duration(int index) const;  // ms, once its frame reader was opened
  bool FramesOpen(int index) const;

 private:
  std::unique_ptr<platform::AviFile> file;
  const platform::AviStream* audioStreams[kMaxClipStreams] = {};
  const platform::AviStream* videoStreams[kMaxClipStreams] = {};
  int32_t audioCount = 0;
  int32_t videoCount = 0;
  std::unique_ptr<uint8_t[]> audioFormats[kMaxClipStreams];
  std::unique_ptr<uint8_t[]> videoFormats[kMaxClipStreams];
  std::unique_ptr<platform::FrameReader> frameReaders[kMaxClipStreams];
  int32_t durations[kMaxClipStreams] = {};
};

// The one instance the player works on.
extern CAviFile ClipFile;

// 0, or -1 when the clip has no video stream (also when it cannot be opened).
int OpenClip(const char* path, uint16_t interval);
// A negative advance rewinds to the first frame. The frame moves on by `advance` at most
// once every `interval` ms of the clock; the current frame is painted at (x, y) of the
// back buffer. Passing the last frame ends the clip and keeps the last frame on screen.
int StepClip(int advance, int x, int y);
int32_t ClipState();  // 0 playing, 1 ended, 2 closed
int CloseClip();

// Paints a frame block (header and pixels, 24 or 32 bits a pixel, uncompressed) at
// (x, y) of the back buffer at its own size, cut to the screen.
void PaintClipFrame(const uint8_t* picture, int x, int y);
