// The display device the game draws with: an 800x600 16-bit (RGB565) mode, a flipping
// pair of screen surfaces, off-screen surfaces in memory, colour-keyed and plain copies,
// colour fills, lock and unlock, and restore after a loss. Every operation reports ok,
// lost, still drawing or failed, as a hardware device would; the surfaces here never go
// away by themselves, but tests can make any operation report any of these.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

namespace platform {

class Platform;

enum class DisplayResult : uint8_t { Ok, SurfaceLost, StillDrawing, Failed, InvalidMode };

// Right and bottom exclusive.
struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
};

using Surface = int32_t;  // 0: none

struct LockedSurface {
  uint16_t* pixels = nullptr;
  int width = 0, height = 0;
  int pitch = 0;  // bytes from one row to the next
};

// The operations whose results tests can choose.
enum class DisplayOp : uint8_t {
  Create,
  SetMode,
  CreatePrimary,
  GetBackBuffer,
  CreateSurface,
  Blit,
  Fill,
  Lock,
  Flip,
  Restore,
  kCount
};

class DisplayDevice {
 public:
  explicit DisplayDevice(Platform& platform) : platform_(platform) {}

  DisplayResult Create();
  DisplayResult SetMode(int width, int height, int depth);
  DisplayResult CreatePrimary(Surface& primary);  // the flipping pair
  DisplayResult GetBackBuffer(Surface primary, Surface& back);
  DisplayResult CreateSurface(int width, int height, Surface& out);
  void Release(Surface surface);  // the back buffer goes with its primary
  void Close();                   // everything, and the device
  bool IsOpen() const { return open_; }
  bool Blind() const;  // the platform's blind screen: no pixel is written

  void SetColourKey(Surface surface, uint16_t key);
  bool GetSize(Surface surface, int& width, int& height) const;

  // Copies src's rectangle onto dst's rectangle (scaled if the sizes differ). With
  // keySource, pixels equal to the source's colour key are skipped; keyOverride names
  // the key for this copy instead.
  DisplayResult Blit(Surface dst, const Rect& dstRect, Surface src, const Rect& srcRect,
                     bool keySource, const uint16_t* keyOverride = nullptr);
  DisplayResult Fill(Surface dst, const Rect* rect, uint16_t colour);
  DisplayResult Lock(Surface surface, LockedSurface& out);
  void Unlock(Surface surface);
  // Shows the back buffer of the pair and swaps the two.
  DisplayResult Flip(Surface primary);
  DisplayResult Restore(Surface surface);
  bool IsLost(Surface surface) const;

  // Test controls: the next `times` calls of op report result; a surface is lost.
  void InjectResult(DisplayOp op, DisplayResult result, int times = 1);
  void LoseSurface(Surface surface);
  void LoseAll();
  size_t LiveSurfaces() const;
  size_t Locked() const;

  // The visible screen, for screenshots.
  const std::vector<uint16_t>* VisiblePixels() const;

 private:
  struct Buffer {
    bool live = false, lost = false, locked = false;
    int width = 0, height = 0, pitchPixels = 0;
    bool hasKey = false;
    uint16_t key = 0;
    std::vector<uint16_t> pixels;
    Surface pairedWith = 0;  // primary <-> back buffer
    bool isPrimary = false, isBack = false;
  };

  bool Injected(DisplayOp op, DisplayResult& result);
  // The pixel work of a Blit whose checks passed.
  [[gnu::noinline]] void CopyPixels(Buffer& d, const Rect& dstRect, const Buffer& s,
                                    const Rect& srcRect, bool keyed, uint16_t key);
  Buffer* Get(Surface s);
  const Buffer* Get(Surface s) const;
  Surface NewBuffer(int width, int height, int pitchPixels);
  // Notes that rows [top, bottom) of b were written: for the flipping pair they may now
  // differ between the two screens.
  void Written(const Buffer& b, int top, int bottom);

  Platform& platform_;
  bool open_ = false, modeSet_ = false;
  bool blind_ = false;              // the platform's Blind(), read when the display opens
  std::vector<Buffer> buffers_{1};  // index 0 unused: the empty handle
  // One flag a screen row: 0 when the row is known to be the same in both surfaces of the
  // flipping pair. A flip shows the platform which rows may have changed, and the copy of
  // the shown screen to the back buffer skips the rows that are already the same.
  std::vector<uint8_t> pairDiffers_;
  // Rows of the shown screen written since it was shown, and what the last flip passed on.
  std::vector<uint8_t> screenTouched_, rowsChanged_;
  std::array<std::deque<DisplayResult>, static_cast<size_t>(DisplayOp::kCount)> injected_;
};

}  // namespace platform
