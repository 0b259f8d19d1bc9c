// The display device the game draws with: an 800x600 16-bit (RGB565) mode, a flipping
// pair of screen surfaces, off-screen surfaces in memory, colour-keyed and plain copies,
// colour fills, lock and unlock, and restore after a loss. Every operation reports ok,
// lost, still drawing or failed, as a hardware device would; the surfaces here never go
// away by themselves, but a backend's faults (DisplayFaults) can make any operation report
// any of these.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {

class Platform;
class DisplayFaults;

enum class DisplayResult : uint8_t { Ok, SurfaceLost, StillDrawing, Failed, InvalidMode };

// Right and bottom exclusive.
struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
};

using Surface = int32_t;  // 0: none

// What a lock is for. Screen: pixels drawn for the screen, which a blind device (one whose
// screen nobody sees) does not hand out: its lock is of no columns and no rows. Contents: the
// surface's contents themselves (a picture loaded or measured), handed out on every device.
enum class LockUse : uint8_t { Contents, Screen };

struct LockedSurface {
  uint16_t* pixels = nullptr;
  int width = 0, height = 0;
  int pitch = 0;  // bytes from one row to the next
};

// The operations whose results a backend's faults can choose.
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

  void SetColourKey(Surface surface, uint16_t key);
  bool GetSize(Surface surface, int& width, int& height) const;

  // Copies src's rectangle onto dst's rectangle (scaled if the sizes differ). With
  // keySource, pixels equal to the source's colour key are skipped; keyOverride names
  // the key for this copy instead.
  DisplayResult Blit(Surface dst, const Rect& dstRect, Surface src, const Rect& srcRect,
                     bool keySource, const uint16_t* keyOverride = nullptr);
  DisplayResult Fill(Surface dst, const Rect* rect, uint16_t colour);
  DisplayResult Lock(Surface surface, LockedSurface& out, LockUse use = LockUse::Contents);
  void Unlock(Surface surface);
  // Shows the back buffer of the pair and swaps the two.
  DisplayResult Flip(Surface primary);
  DisplayResult Restore(Surface surface);
  bool IsLost(Surface surface) const;

  // The faults the backend puts between the program and the device (none: null).
  void SetFaults(DisplayFaults* faults) { faults_ = faults; }
  size_t LiveSurfaces() const;
  size_t Locked() const;

  // The visible screen, for screenshots.
  const std::vector<uint16_t>* VisiblePixels() const;

 private:
  struct Buffer {
    bool live = false, locked = false;
    int width = 0, height = 0, pitchPixels = 0;
    bool hasKey = false;
    uint16_t key = 0;
    std::vector<uint16_t> pixels;
    Surface pairedWith = 0;  // primary <-> back buffer
    bool isPrimary = false, isBack = false;
  };

  // True, with the result to report, when the backend's faults stop `op` this time.
  bool Faulted(DisplayOp op, DisplayResult& result);
  bool Lost(Surface s) const;
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
  // The platform's Blind(), chosen when the display opens: copies, fills, flips and screen
  // locks keep their checks, results and bookkeeping but no pixel is written.
  bool blind_ = false;
  std::vector<Buffer> buffers_{1};  // index 0 unused: the empty handle
  // One flag a screen row: 0 when the row is known to be the same in both surfaces of the
  // flipping pair. A flip shows the platform which rows may have changed, and the copy of
  // the shown screen to the back buffer skips the rows that are already the same.
  std::vector<uint8_t> pairDiffers_;
  // Rows of the shown screen written since it was shown, and what the last flip passed on.
  std::vector<uint8_t> screenTouched_, rowsChanged_;
  DisplayFaults* faults_ = nullptr;
};

}  // namespace platform
