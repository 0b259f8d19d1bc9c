#include "platform/display/display_device.h"

#include <algorithm>

#include "platform/display/display_faults.h"
#include "platform/platform.h"

namespace platform {

namespace {

bool Inside(const Rect& r, int width, int height) {
  return r.left >= 0 && r.top >= 0 && r.right <= width && r.bottom <= height && r.left < r.right &&
         r.top < r.bottom;
}

}  // namespace

bool DisplayDevice::Faulted(DisplayOp op, DisplayResult& result) {
  return faults_ && faults_->Armed() && faults_->Fault(op, result);
}

bool DisplayDevice::Lost(Surface s) const {
  return faults_ && faults_->Armed() && faults_->Lost(s);
}

DisplayDevice::Buffer* DisplayDevice::Get(Surface s) {
  if (s <= 0 || static_cast<size_t>(s) >= buffers_.size() || !buffers_[s].live) return nullptr;
  return &buffers_[s];
}

const DisplayDevice::Buffer* DisplayDevice::Get(Surface s) const {
  if (s <= 0 || static_cast<size_t>(s) >= buffers_.size() || !buffers_[s].live) return nullptr;
  return &buffers_[s];
}

Surface DisplayDevice::NewBuffer(int width, int height, int pitchPixels) {
  Buffer b;
  b.live = true;
  b.width = width;
  b.height = height;
  b.pitchPixels = pitchPixels;
  b.pixels.assign(static_cast<size_t>(pitchPixels) * height, 0);
  buffers_.push_back(std::move(b));
  return static_cast<Surface>(buffers_.size() - 1);
}

DisplayResult DisplayDevice::Create() {
  DisplayResult r;
  if (Faulted(DisplayOp::Create, r)) return r;
  if (!platform_.OpenDisplay()) return DisplayResult::Failed;
  open_ = true;
  blind_ = platform_.Blind();
  return DisplayResult::Ok;
}

DisplayResult DisplayDevice::SetMode(int width, int height, int depth) {
  DisplayResult r;
  if (Faulted(DisplayOp::SetMode, r)) return r;
  if (!open_) return DisplayResult::Failed;
  if (width != kScreenWidth || height != kScreenHeight || depth != 16)
    return DisplayResult::InvalidMode;
  modeSet_ = true;
  return DisplayResult::Ok;
}

DisplayResult DisplayDevice::CreatePrimary(Surface& primary) {
  DisplayResult r;
  if (Faulted(DisplayOp::CreatePrimary, r)) return r;
  if (!modeSet_) return DisplayResult::Failed;
  primary = NewBuffer(kScreenWidth, kScreenHeight, kScreenWidth);
  Surface back = NewBuffer(kScreenWidth, kScreenHeight, kScreenWidth);
  buffers_[primary].isPrimary = true;
  buffers_[primary].pairedWith = back;
  buffers_[back].isBack = true;
  buffers_[back].pairedWith = primary;
  pairDiffers_.assign(kScreenHeight, 1);
  screenTouched_.assign(kScreenHeight, 1);
  rowsChanged_.assign(kScreenHeight, 1);
  return DisplayResult::Ok;
}

DisplayResult DisplayDevice::GetBackBuffer(Surface primary, Surface& back) {
  DisplayResult r;
  if (Faulted(DisplayOp::GetBackBuffer, r)) return r;
  const Buffer* p = Get(primary);
  if (!p || !p->isPrimary) return DisplayResult::Failed;
  back = p->pairedWith;
  return DisplayResult::Ok;
}

DisplayResult DisplayDevice::CreateSurface(int width, int height, Surface& out) {
  DisplayResult r;
  if (Faulted(DisplayOp::CreateSurface, r)) return r;
  if (!open_ || width <= 0 || height <= 0 || width > 8192 || height > 65535)
    return DisplayResult::Failed;
  // Rows of off-screen surfaces are padded, as a device's often are: users must step
  // by the pitch the lock reports.
  out = NewBuffer(width, height, (width + 7) & ~7);
  return DisplayResult::Ok;
}

void DisplayDevice::Release(Surface surface) {
  Buffer* b = Get(surface);
  if (!b || b->isBack) return;  // the back buffer lives and dies with its primary
  if (b->isPrimary) {
    Buffer& back = buffers_[b->pairedWith];
    back = Buffer{};
  }
  *b = Buffer{};
}

void DisplayDevice::Close() {
  for (size_t i = 1; i < buffers_.size(); ++i) buffers_[i] = Buffer{};
  if (open_) platform_.CloseDisplay();
  open_ = modeSet_ = false;
}

void DisplayDevice::Written(const Buffer& b, int top, int bottom) {
  if (!b.isPrimary && !b.isBack) return;
  top = std::clamp(top, 0, static_cast<int>(pairDiffers_.size()));
  bottom = std::clamp(bottom, top, static_cast<int>(pairDiffers_.size()));
  std::fill(pairDiffers_.begin() + top, pairDiffers_.begin() + bottom, 1);
  if (b.isPrimary) std::fill(screenTouched_.begin() + top, screenTouched_.begin() + bottom, 1);
}

void DisplayDevice::SetColourKey(Surface surface, uint16_t key) {
  if (Buffer* b = Get(surface)) {
    b->hasKey = true;
    b->key = key;
  }
}

bool DisplayDevice::GetSize(Surface surface, int& width, int& height) const {
  const Buffer* b = Get(surface);
  if (!b) return false;
  width = b->width;
  height = b->height;
  return true;
}

namespace {

// A select rather than a branch on rows that cannot overlap, so that the compiler copies
// many pixels a step (this file is built with the vectoriser's full cost model).
void KeyedCopy(uint16_t* __restrict out, const uint16_t* __restrict in, int n, uint16_t key) {
  for (int x = 0; x < n; ++x) out[x] = in[x] == key ? out[x] : in[x];
}

// The rows changed since the frame shown before, and the shown screen's touches cleared:
// three separate row tables, so the compiler does it many rows a step (a blind par spends
// a fifth of its time here otherwise, in a loop that reloads each table at every row).
void MergeRows(uint8_t* __restrict changed, const uint8_t* __restrict differs,
               uint8_t* __restrict touched, size_t rows) {
  for (size_t y = 0; y < rows; ++y) changed[y] = differs[y] | touched[y];
  std::fill_n(touched, rows, 0);
}

}  // namespace

DisplayResult DisplayDevice::Blit(Surface dst, const Rect& dstRect, Surface src,
                                  const Rect& srcRect, bool keySource,
                                  const uint16_t* keyOverride) {
  DisplayResult r;
  if (Faulted(DisplayOp::Blit, r)) return r;
  Buffer* d = Get(dst);
  Buffer* s = Get(src);
  if (!d || !s) return DisplayResult::Failed;
  if (Lost(dst) || Lost(src)) return DisplayResult::SurfaceLost;
  if (d->locked || s->locked) return DisplayResult::Failed;
  if (!Inside(dstRect, d->width, d->height) || !Inside(srcRect, s->width, s->height))
    return DisplayResult::Failed;
  // A blind screen keeps every check above and writes nothing: the call stays cheap.
  if (blind_) return DisplayResult::Ok;
  bool keyed = keyOverride || (keySource && s->hasKey);
  // The shown screen copied whole onto the back buffer: only the rows that differ.
  if (d->isBack && s->isPrimary && d->pairedWith == src && !keyed && dstRect.left == 0 &&
      dstRect.right == d->width && srcRect.left == dstRect.left && srcRect.right == dstRect.right &&
      srcRect.top == dstRect.top && srcRect.bottom == dstRect.bottom) {
    for (int y = dstRect.top; y < dstRect.bottom; ++y) {
      if (!pairDiffers_[y]) continue;
      const size_t at = static_cast<size_t>(y) * d->pitchPixels;
      std::copy_n(s->pixels.data() + at, d->width, d->pixels.data() + at);
      pairDiffers_[y] = 0;
    }
    return DisplayResult::Ok;
  }
  Written(*d, dstRect.top, dstRect.bottom);
  CopyPixels(*d, dstRect, *s, srcRect, keyed, keyOverride ? *keyOverride : s->key);
  return DisplayResult::Ok;
}

void DisplayDevice::CopyPixels(Buffer& dBuffer, const Rect& dstRect, const Buffer& sBuffer,
                               const Rect& srcRect, bool keyed, uint16_t key) {
  Buffer* d = &dBuffer;
  const Buffer* s = &sBuffer;
  int dw = dstRect.right - dstRect.left, dh = dstRect.bottom - dstRect.top;
  int sw = srcRect.right - srcRect.left, sh = srcRect.bottom - srcRect.top;
  // A copy within one surface reads from a snapshot, so overlapping areas come out right.
  std::vector<uint16_t> snapshot;
  const uint16_t* from = s->pixels.data();
  if (d == s) {
    snapshot = s->pixels;
    from = snapshot.data();
  }
  bool scaled = dw != sw || dh != sh;
  for (int y = 0; y < dh; ++y) {
    int sy = srcRect.top + (scaled ? y * sh / dh : y);
    const uint16_t* in = from + static_cast<size_t>(sy) * s->pitchPixels + srcRect.left;
    uint16_t* out =
        d->pixels.data() + static_cast<size_t>(dstRect.top + y) * d->pitchPixels + dstRect.left;
    if (scaled) {
      for (int x = 0; x < dw; ++x) {
        uint16_t p = in[x * sw / dw];
        if (!keyed || p != key) out[x] = p;
      }
    } else if (!keyed) {
      std::copy_n(in, dw, out);
    } else {
      KeyedCopy(out, in, dw, key);
    }
  }
}

DisplayResult DisplayDevice::Fill(Surface dst, const Rect* rect, uint16_t colour) {
  DisplayResult r;
  if (Faulted(DisplayOp::Fill, r)) return r;
  Buffer* d = Get(dst);
  if (!d) return DisplayResult::Failed;
  if (Lost(dst)) return DisplayResult::SurfaceLost;
  if (d->locked) return DisplayResult::Failed;
  Rect whole{0, 0, d->width, d->height};
  const Rect& f = rect ? *rect : whole;
  if (!Inside(f, d->width, d->height)) return DisplayResult::Failed;
  if (blind_) return DisplayResult::Ok;
  Written(*d, f.top, f.bottom);
  for (int y = f.top; y < f.bottom; ++y)
    std::fill_n(d->pixels.data() + static_cast<size_t>(y) * d->pitchPixels + f.left,
                f.right - f.left, colour);
  return DisplayResult::Ok;
}

DisplayResult DisplayDevice::Lock(Surface surface, LockedSurface& out, LockUse use) {
  DisplayResult r;
  if (Faulted(DisplayOp::Lock, r)) return r;
  Buffer* b = Get(surface);
  if (!b || b->locked) return DisplayResult::Failed;
  if (Lost(surface)) return DisplayResult::SurfaceLost;
  b->locked = true;
  Written(*b, 0, b->height);
  const bool none = blind_ && use == LockUse::Screen;
  out = {b->pixels.data(), none ? 0 : b->width, none ? 0 : b->height, b->pitchPixels * 2};
  return DisplayResult::Ok;
}

void DisplayDevice::Unlock(Surface surface) {
  if (Buffer* b = Get(surface)) b->locked = false;
}

DisplayResult DisplayDevice::Flip(Surface primary) {
  DisplayResult r;
  if (Faulted(DisplayOp::Flip, r)) return r;
  Buffer* p = Get(primary);
  if (!p || !p->isPrimary) return DisplayResult::Failed;
  Buffer& back = buffers_[p->pairedWith];
  if (Lost(primary) || Lost(p->pairedWith)) return DisplayResult::SurfaceLost;
  if (p->locked || back.locked) return DisplayResult::Failed;
  // A row drawn again with the pixels it had is no change. Both surfaces then trade
  // places, so the rows in which they differ stay the same rows.
  if (!blind_) {
    for (int y = 0; y < p->height; ++y) {
      const size_t at = static_cast<size_t>(y) * p->pitchPixels;
      if (pairDiffers_[y] && std::equal(p->pixels.data() + at, p->pixels.data() + at + p->width,
                                        back.pixels.data() + at))
        pairDiffers_[y] = 0;
    }
  }
  // A row differs from the frame shown before where the two surfaces differ, or where the
  // shown screen was drawn on since.
  MergeRows(rowsChanged_.data(), pairDiffers_.data(), screenTouched_.data(), rowsChanged_.size());
  std::swap(p->pixels, back.pixels);
  platform_.ShowFrame(p->pixels.data(), rowsChanged_.data());
  return DisplayResult::Ok;
}

DisplayResult DisplayDevice::Restore(Surface surface) {
  DisplayResult r;
  if (Faulted(DisplayOp::Restore, r)) return r;
  Buffer* b = Get(surface);
  if (!b) return DisplayResult::Failed;
  auto restore = [this](Surface x) {
    if (!Lost(x)) return;
    faults_->Restored(x);
    // A restored surface's memory is new.
    std::fill(buffers_[x].pixels.begin(), buffers_[x].pixels.end(), 0);
  };
  restore(surface);
  if (b->isPrimary) restore(b->pairedWith);
  Written(*b, 0, b->height);
  return DisplayResult::Ok;
}

bool DisplayDevice::IsLost(Surface surface) const {
  return Get(surface) && Lost(surface);
}

size_t DisplayDevice::LiveSurfaces() const {
  return static_cast<size_t>(
      std::count_if(buffers_.begin(), buffers_.end(), [](const Buffer& b) { return b.live; }));
}

size_t DisplayDevice::Locked() const {
  return static_cast<size_t>(std::count_if(buffers_.begin(), buffers_.end(),
                                           [](const Buffer& b) { return b.live && b.locked; }));
}

const std::vector<uint16_t>* DisplayDevice::VisiblePixels() const {
  for (const Buffer& b : buffers_)
    if (b.live && b.isPrimary) return &b.pixels;
  return nullptr;
}

}  // namespace platform
